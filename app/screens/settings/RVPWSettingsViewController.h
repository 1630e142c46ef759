#pragma once

#include <QLatin1String>
#include <QPointer>
#include <QWidget>
#include <array>
#include <vector>

class QLabel;
class QMessageBox;
class QPushButton;
class QScrollArea;
class QVBoxLayout;

namespace plotwise {

class ApplicationContext;
class RVPWDefaultColorViewController;
class RVPWExpressionColorButton;
class RVPWSwitch;

// The settings screen: sections "General", "2D" and "3D" built from one row table. A switch
// writes its preference at once and, where the setting changes what is on screen, posts its
// notification with this screen as the object. "Default Color" shows only while random colours
// are off and opens the colour picker; "Reset Library" asks, then deletes both library files.
// A preference the store could not write is reported in a bar at the top, never dropped
// silently. Done or Escape posts settingsDoneNotification and asks the presenter to close it.
class RVPWSettingsViewController : public QWidget {
    Q_OBJECT

public:
    enum class CellType { Switch = 0, Button = 1, Color = 2 };
    enum class Shown { Always, OnlyOnPhone, WhileRandomColorIsOff };

    // One row of the table. The key is empty for "Reset Library"; the notification is empty
    // for the settings whose readers ask each time.
    struct Row {
        const char* name;
        QLatin1String defaultsKey;
        CellType celltype;
        QLatin1String notification;
        Shown shown = Shown::Always;
    };
    static constexpr int sectionCount = 3;
    // The rows of every section in order, before the conditions of `shown`.
    static const std::array<std::vector<Row>, sectionCount>& rowTable();
    static const char* sectionTitle(int section);

    explicit RVPWSettingsViewController(ApplicationContext& context, QWidget* parent = nullptr);
    ~RVPWSettingsViewController() override;

    // The rows shown now.
    const std::vector<Row>& generalSettings() const { return rows_[0]; }
    const std::vector<Row>& settings2D() const { return rows_[1]; }
    const std::vector<Row>& settings3D() const { return rows_[2]; }
    const std::vector<Row>& rows(int section) const { return rows_.at(section); }
    QWidget* cellAt(int section, int row) const;
    // Null when the row is not a switch row.
    RVPWSwitch* switchAt(int section, int row) const;
    // The swatch of "Default Color", while shown.
    RVPWExpressionColorButton* colorButton() const { return colorButton_; }
    QPushButton* doneButton() const { return doneButton_; }
    // The bar that reports a failed write; hidden until one fails.
    QLabel* messageBar() const { return messageBar_; }
    QScrollArea* scrollArea() const { return scrollArea_; }
    // The open colour picker and reset question, while open.
    RVPWDefaultColorViewController* colorController() const;
    QMessageBox* resetSheet() const;

    // The row actions.
    void switchAction(RVPWSwitch* sender);
    void defaultColor();
    void resetLibrary();
    void done();
    // The colour picker's delegate call: stores the colour text and repaints the swatch.
    void defaultColorController(const QColor& color);

signals:
    // Done or Escape: the presenter closes the screen.
    void doneRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildRows(int section);
    void buildSection(int section);
    void updateDefaultColorRow();
    QWidget* makeCell(const Row& row);
    void store(const QString& key, const QVariant& value);
    void showMessage(const QString& message);
    QRect pickerAnchor() const;
    void placePopup();
    void closeColorController();

    ApplicationContext& context_;
    std::array<std::vector<Row>, sectionCount> rows_;
    std::array<std::vector<QWidget*>, sectionCount> cells_;
    std::array<QVBoxLayout*, sectionCount> groups_{};
    QScrollArea* scrollArea_;
    QLabel* messageBar_;
    QPushButton* doneButton_ = nullptr;
    RVPWExpressionColorButton* colorButton_ = nullptr;
    // The "Default Color" row while its picker is open.
    QPointer<QWidget> cellForPicker_;
    QPointer<RVPWDefaultColorViewController> colorController_;
    QPointer<QMessageBox> resetSheet_;
};

}  // namespace plotwise
