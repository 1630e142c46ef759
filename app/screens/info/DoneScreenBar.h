#pragma once

#include <QString>

class QPushButton;
class QWidget;

namespace plotwise {

// The dark bar at the top of a modal screen: an optional button on the left, the title, and
// Done on the right.
QWidget* makeDoneScreenBar(QWidget* parent, const QString& title, QPushButton** done,
                           QWidget* left = nullptr);

}  // namespace plotwise
