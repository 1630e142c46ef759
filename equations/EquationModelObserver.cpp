#include "equations/EquationModelObserver.h"

#include <QAbstractItemModel>

namespace plotwise {

void EquationModelObserver::observe(const QAbstractItemModel& model, const QObject& context,
                                    EvaluateRows evaluateRows, Repaint repaint) {
    const QAbstractItemModel* source = &model;
    const QObject* receiver = &context;
    QObject::connect(source, &QAbstractItemModel::rowsInserted, receiver,
                     [evaluateRows, repaint](const QModelIndex&, int first, int last) {
                         evaluateRows(first, last);
                         repaint();
                     });
    QObject::connect(source, &QAbstractItemModel::dataChanged, receiver,
                     [evaluateRows, repaint](const QModelIndex& first, const QModelIndex& last,
                                             const QList<int>& roles) {
                         // Shown again: evaluated for the window or box it missed while hidden.
                         if (roles.isEmpty() || roles.contains(Qt::CheckStateRole)) {
                             evaluateRows(first.row(), last.row());
                         }
                         repaint();
                     });
    const auto repaintOnly = [repaint] { repaint(); };
    QObject::connect(source, &QAbstractItemModel::rowsRemoved, receiver, repaintOnly);
    QObject::connect(source, &QAbstractItemModel::rowsMoved, receiver, repaintOnly);
    QObject::connect(source, &QAbstractItemModel::modelReset, receiver, repaintOnly);
    QObject::connect(source, &QAbstractItemModel::layoutChanged, receiver, repaintOnly);
}

}  // namespace plotwise
