#pragma once

#include <QString>

class QPushButton;
class QWidget;

namespace plotwise {

// The dark bar at the top of a pushed screen: a back button on the left and the title.
QWidget* makeScreenBar(QWidget* parent, const QString& title, QPushButton** back);

}  // namespace plotwise
