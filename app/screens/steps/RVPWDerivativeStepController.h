#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <memory>
#include <vector>

class QLabel;
class QListView;
class QPushButton;
class QStandardItemModel;

namespace plotwise {

class RVOperationTree;

// Lists the steps of a symbolic derivative, one simplification pass per row: the expression as
// typed, every pass that changed it, and last the result.
class RVPWDerivativeStepController : public QWidget {
    Q_OBJECT

public:
    explicit RVPWDerivativeStepController(const QString& expression, QWidget* parent = nullptr);
    ~RVPWDerivativeStepController() override;

    int stepCount() const { return static_cast<int>(steps_.size()); }
    const RVOperationTree& step(int index) const { return *steps_.at(index); }
    // The printed form of each step, in order.
    QStringList stepTexts() const;
    // Why there are no steps ("" when there are).
    QString errorText() const;

    QListView* listView() const { return list_; }
    QPushButton* doneButton() const { return done_; }

signals:
    void done();

private:
    void fillList(qreal devicePixelRatio);

    std::array<double, 6> table_{};
    std::vector<std::unique_ptr<RVOperationTree>> steps_;
    // Rows past the simplification passes: the result as a student would write it.
    int simplifiedRow_ = -1;
    QLabel* error_;
    QListView* list_;
    QStandardItemModel* model_;
    QPushButton* done_ = nullptr;
};

}  // namespace plotwise
