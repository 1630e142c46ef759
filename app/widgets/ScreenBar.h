#pragma once

#include <QString>

class QPushButton;
class QWidget;

namespace plotwise {

// The dark bar at the top of a pushed screen: a back button on the left and the title.
QWidget* makeScreenBar(QWidget* parent, const QString& title, QPushButton** back);
// The grouped table's blue-grey behind a details screen, with black text.
void useGroupedBackground(QWidget* screen);

}  // namespace plotwise
