#include "app/screens/settings/RVPWSettingsViewController.h"

#include <QDir>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScroller>
#include <algorithm>
#include <functional>

#include "app/context/ApplicationContext.h"
#include "app/screens/details/RVPWDefaultColorViewController.h"
#include "app/screens/list/RVPWExpressionColorButton.h"
#include "app/screens/settings/RVPWSwitch.h"
#include "app/shell/NavigationStack.h"
#include "app/widgets/ScreenBar.h"
#include "equations/ColorText.h"

namespace plotwise {

namespace {

using Row = RVPWSettingsViewController::Row;
using CellType = RVPWSettingsViewController::CellType;
using Shown = RVPWSettingsViewController::Shown;
using Settings = RVPWSettingsManager;

constexpr int kMinimumRowHeight = 44;
constexpr QLatin1String kNone{""};

// A row of the table: a label and its accessory; the whole row answers a click when `clicked`
// is set (the colour row), so a tap beside the swatch opens the picker too.
class SettingsCell : public QWidget {
public:
    explicit SettingsCell(QWidget* parent) : QWidget(parent) {}
    std::function<void()> clicked;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (clicked && event->button() == Qt::LeftButton && rect().contains(event->pos())) {
            clicked();
            return;
        }
        QWidget::mouseReleaseEvent(event);
    }
};

}  // namespace

const std::array<std::vector<Row>, RVPWSettingsViewController::sectionCount>&
RVPWSettingsViewController::rowTable() {
    static const std::array<std::vector<Row>, sectionCount> table{{
        {
            {QT_TR_NOOP("Autohide Toolbar"), Settings::phoneHidesToolbarKey, CellType::Switch,
             kNone, Shown::OnlyOnPhone},
            {QT_TR_NOOP("Keyboard Clicks"), Settings::enableKeyboardClicksKey, CellType::Switch,
             kNone},
            {QT_TR_NOOP("Shake to Reset View"), Settings::enableShakesKey, CellType::Switch, kNone},
            {QT_TR_NOOP("Use Random Color"), Settings::useRandomDefaultColorKey, CellType::Switch,
             kNone},
            {QT_TR_NOOP("Default Color"), Settings::defaultColorKey, CellType::Color, kNone,
             Shown::WhileRandomColorIsOff},
            {QT_TR_NOOP("Reset Library"), kNone, CellType::Button, kNone},
        },
        {
            {QT_TR_NOOP("Dark Background"), Settings::useDarkBackground2DKey, CellType::Switch,
             useDarkBackground2DNotification},
            {QT_TR_NOOP("Thick Lines"), Settings::useThickLines2DKey, CellType::Switch,
             useThickLinesNotification},
            {QT_TR_NOOP("Proportional Zoom"), Settings::useProportionalZoom2DKey, CellType::Switch,
             useProportionalZoomNotification},
        },
        {
            {QT_TR_NOOP("Rotation Box"), Settings::showRotationBoxKey, CellType::Switch, kNone},
            {QT_TR_NOOP("Light Background"), Settings::useLightBackground3DKey, CellType::Switch,
             useLightBackground3DNotification},
            {QT_TR_NOOP("Display Values"), Settings::display3DValuesKey, CellType::Switch,
             display3DValuesNotification},
            {QT_TR_NOOP("Faster Implicits"), Settings::fasterLessAccurate3DAlgorithmKey,
             CellType::Switch, kNone},
        },
    }};
    return table;
}

const char* RVPWSettingsViewController::sectionTitle(int section) {
    // Fixed texts, not translated.
    static constexpr std::array<const char*, sectionCount> titles{"General", "2D", "3D"};
    return titles.at(section);
}

RVPWSettingsViewController::RVPWSettingsViewController(ApplicationContext& context, QWidget* parent)
    : QWidget(parent),
      context_(context),
      scrollArea_(new QScrollArea(this)),
      messageBar_(new QLabel(this)) {
    setWindowTitle(tr("Settings"));
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(0xEF, 0xEF, 0xF4));
    palette.setColor(QPalette::WindowText, Qt::black);
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::ButtonText, QColor(0x1E, 0x5A, 0xC8));
    setPalette(palette);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    layout->addWidget(makeDoneScreenBar(this, tr("Settings"), &doneButton_));
    connect(doneButton_, &QPushButton::clicked, this, &RVPWSettingsViewController::done);

    messageBar_->setWordWrap(true);
    messageBar_->setMargin(8);
    messageBar_->setStyleSheet(
        QStringLiteral("background: #FDECEA; color: #8A1C12; border-bottom: 1px solid #E0A39B;"));
    messageBar_->hide();
    layout->addWidget(messageBar_);

    auto* content = new QWidget;
    auto* contentLayout = new QVBoxLayout(content);
    contentLayout->setContentsMargins(12, 4, 12, 16);
    contentLayout->setSpacing(4);
    for (int section = 0; section < sectionCount; ++section) {
        auto* header = new QLabel(QString::fromLatin1(sectionTitle(section)), content);
        header->setContentsMargins(8, 14, 0, 2);
        QPalette headerPalette = header->palette();
        headerPalette.setColor(QPalette::WindowText, QColor(0x6D, 0x6D, 0x72));
        header->setPalette(headerPalette);
        contentLayout->addWidget(header);
        auto* group = new QWidget(content);
        group->setObjectName(QStringLiteral("settingsGroup"));
        group->setStyleSheet(
            QStringLiteral("#settingsGroup { background: white; border: 1px solid #C8C7CC; "
                           "border-radius: 8px; }"));
        groups_[section] = new QVBoxLayout(group);
        groups_[section]->setContentsMargins(1, 1, 1, 1);
        groups_[section]->setSpacing(0);
        contentLayout->addWidget(group);
        buildSection(section);
    }
    contentLayout->addStretch();
    scrollArea_->setWidget(content);
    scrollArea_->setWidgetResizable(true);
    scrollArea_->setFrameShape(QFrame::NoFrame);
    scrollArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QScroller::grabGesture(scrollArea_->viewport(), QScroller::TouchGesture);
    layout->addWidget(scrollArea_, 1);
}

RVPWSettingsViewController::~RVPWSettingsViewController() {
    closeColorController();
}

void RVPWSettingsViewController::buildRows(int section) {
    const bool phone = context_.deviceClass() == DeviceClass::Phone;
    const bool randomColor = context_.settings().useRandomDefaultColor();
    std::vector<Row>& rows = rows_[section];
    rows.clear();
    for (const Row& row : rowTable()[section]) {
        if ((row.shown == Shown::OnlyOnPhone && !phone) ||
            (row.shown == Shown::WhileRandomColorIsOff && randomColor)) {
            continue;
        }
        rows.push_back(row);
    }
}

void RVPWSettingsViewController::buildSection(int section) {
    buildRows(section);
    for (const Row& row : rows_[section]) {
        QWidget* cell = makeCell(row);
        groups_[section]->addWidget(cell);
        cells_[section].push_back(cell);
    }
}

QWidget* RVPWSettingsViewController::makeCell(const Row& row) {
    auto* cell = new SettingsCell(nullptr);
    cell->setMinimumHeight(kMinimumRowHeight);
    cell->setAccessibleName(tr(row.name));
    auto* layout = new QHBoxLayout(cell);
    layout->setContentsMargins(14, 4, 12, 4);
    if (row.celltype == CellType::Button) {
        auto* button = new QPushButton(tr(row.name), cell);
        button->setFlat(true);
        button->setMinimumHeight(kMinimumRowHeight - 8);
        button->setStyleSheet(QStringLiteral("color: #1E5AC8;"));
        layout->addWidget(button);
        connect(button, &QPushButton::clicked, this, &RVPWSettingsViewController::resetLibrary);
        return cell;
    }
    auto* label = new QLabel(tr(row.name), cell);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    layout->addWidget(label, 1);
    if (row.celltype == CellType::Switch) {
        auto* control = new RVPWSwitch(cell);
        control->setAccessibleName(tr(row.name));
        control->setChecked(context_.store().boolValue(row.defaultsKey));
        label->setBuddy(control);
        layout->addWidget(control);
        connect(control, &RVPWSwitch::toggled, this, [this, control] { switchAction(control); });
    } else {
        colorButton_ = new RVPWExpressionColorButton(cell);
        colorButton_->setFixedSize(RVPWExpressionColorButton::side,
                                   RVPWExpressionColorButton::side);
        colorButton_->setAccessibleName(tr(row.name));
        colorButton_->setColor(colorWithHexString(context_.store().stringValue(row.defaultsKey)));
        layout->addWidget(colorButton_);
        connect(colorButton_, &QAbstractButton::clicked, this,
                &RVPWSettingsViewController::defaultColor);
        cell->clicked = [this] { defaultColor(); };
        cell->setCursor(Qt::PointingHandCursor);
    }
    // Lines between rows, as in a grouped table.
    cell->setObjectName(QStringLiteral("settingsCell"));
    cell->setStyleSheet(QStringLiteral("#settingsCell { border-bottom: 1px solid #E5E5EA; }"));
    return cell;
}

RVPWDefaultColorViewController* RVPWSettingsViewController::colorController() const {
    return colorController_;
}

QMessageBox* RVPWSettingsViewController::resetSheet() const {
    return resetSheet_;
}

QWidget* RVPWSettingsViewController::cellAt(int section, int row) const {
    const auto& cells = cells_.at(section);
    return row >= 0 && row < static_cast<int>(cells.size()) ? cells[row] : nullptr;
}

RVPWSwitch* RVPWSettingsViewController::switchAt(int section, int row) const {
    QWidget* cell = cellAt(section, row);
    return cell != nullptr ? cell->findChild<RVPWSwitch*>() : nullptr;
}

void RVPWSettingsViewController::switchAction(RVPWSwitch* sender) {
    for (int section = 0; section < sectionCount; ++section) {
        for (size_t index = 0; index < cells_[section].size(); ++index) {
            if (!cells_[section][index]->isAncestorOf(sender)) {
                continue;
            }
            const Row row = rows_[section][index];
            store(row.defaultsKey, sender->isChecked());
            if (!row.notification.isEmpty()) {
                context_.notificationCenter().post(row.notification, this);
            }
            if (QLatin1String(row.defaultsKey) == Settings::useRandomDefaultColorKey) {
                updateDefaultColorRow();
            }
            return;
        }
    }
}

void RVPWSettingsViewController::updateDefaultColorRow() {
    // The General rows are rebuilt from the table; only "Default Color" comes or goes, so the
    // switch that was flipped (and its focus) stays.
    buildRows(0);
    std::vector<QWidget*>& cells = cells_[0];
    const auto shown = std::find_if(rows_[0].begin(), rows_[0].end(),
                                    [](const Row& row) { return row.celltype == CellType::Color; });
    const auto existing = std::find_if(cells.begin(), cells.end(), [this](QWidget* cell) {
        return colorButton_ != nullptr && cell->isAncestorOf(colorButton_);
    });
    if (shown != rows_[0].end() && existing == cells.end()) {
        const auto index = static_cast<int>(shown - rows_[0].begin());
        QWidget* cell = makeCell(*shown);
        groups_[0]->insertWidget(index, cell);
        cells.insert(cells.begin() + index, cell);
    } else if (shown == rows_[0].end() && existing != cells.end()) {
        closeColorController();
        QWidget* cell = *existing;
        cells.erase(existing);
        colorButton_ = nullptr;
        groups_[0]->removeWidget(cell);
        cell->hide();
        cell->deleteLater();
    }
}

void RVPWSettingsViewController::store(const QString& key, const QVariant& value) {
    if (!context_.store().setValue(key, value)) {
        showMessage(tr("Settings could not be saved: %1")
                        .arg(tr("%1 could not be written")
                                 .arg(QDir::toNativeSeparators(context_.store().filePath()))));
    }
}

void RVPWSettingsViewController::showMessage(const QString& message) {
    messageBar_->setText(message);
    messageBar_->show();
}

QRect RVPWSettingsViewController::pickerAnchor() const {
    QWidget* cell = cellForPicker_;
    if (cell == nullptr) {
        return QRect(width() / 2, height() / 2, 1, 1);
    }
    const QRect rect(cell->mapTo(this, QPoint(0, 0)), cell->size());
    return QRect(QPoint(rect.x() + rect.width() - 64, rect.y() + rect.height()), rect.size());
}

void RVPWSettingsViewController::placePopup() {
    if (!colorController_ || !colorController_->isWindow()) {
        return;
    }
    const QSize size = colorController_->sizeHint();
    QPoint topLeft = mapToGlobal(pickerAnchor().topLeft()) - QPoint(size.width() / 2, 0);
    if (const QScreen* screen = this->screen()) {
        const QRect free = screen->availableGeometry();
        topLeft.setX(std::clamp(topLeft.x(), free.left(),
                                std::max(free.left(), free.right() - size.width())));
        // Above the row when there is no room below, as a popover flips its arrow.
        if (topLeft.y() + size.height() > free.bottom()) {
            topLeft.setY(
                std::max(free.top(), topLeft.y() - size.height() - cellForPicker_->height()));
        }
    }
    colorController_->setGeometry(QRect(topLeft, size));
}

void RVPWSettingsViewController::defaultColor() {
    if (colorController_ || colorButton_ == nullptr) {
        return;
    }
    cellForPicker_ = colorButton_->parentWidget();
    const QColor selected =
        colorWithHexString(context_.store().stringValue(Settings::defaultColorKey));
    auto* controller = new RVPWDefaultColorViewController(selected, tr("Default Color"));
    colorController_ = controller;
    connect(controller, &RVPWDefaultColorViewController::defaultColorControllerDidChangeColor, this,
            [this](const QColor& color) { defaultColorController(color); });
    connect(controller, &RVPWDefaultColorViewController::backRequested, this,
            &RVPWSettingsViewController::closeColorController);
    NavigationStack* stack = NavigationStack::containing(this);
    if (context_.deviceClass() == DeviceClass::Phone && stack != nullptr) {
        stack->push(controller);
        controller->setFocus();
        return;
    }
    // A tablet (or a screen on no stack): a popup at the row, closed by a click outside.
    controller->setParent(this, Qt::Popup);
    controller->setAttribute(Qt::WA_DeleteOnClose);
    placePopup();
    controller->show();
    controller->setFocus();
}

void RVPWSettingsViewController::closeColorController() {
    RVPWDefaultColorViewController* controller = colorController_;
    colorController_ = nullptr;
    cellForPicker_ = nullptr;
    if (controller == nullptr) {
        return;
    }
    if (NavigationStack* stack = NavigationStack::containing(controller);
        stack != nullptr && !controller->isWindow()) {
        if (stack->topScreen() == controller) {
            stack->pop();
        }
    }
    controller->hide();
    controller->deleteLater();
}

void RVPWSettingsViewController::defaultColorController(const QColor& color) {
    store(Settings::defaultColorKey, hexStringFromColor(color));
    if (colorButton_ != nullptr) {
        colorButton_->setColor(color);
    }
}

void RVPWSettingsViewController::resetLibrary() {
    if (resetSheet_) {
        return;
    }
    auto* sheet = new QMessageBox(this);
    sheet->setIcon(QMessageBox::Warning);
    sheet->setWindowTitle(tr("Reset Library"));
    sheet->setText(
        tr("This will reset the library to its default state.\nDo you want to proceed?"));
    QPushButton* no = sheet->addButton(tr("No"), QMessageBox::RejectRole);
    QPushButton* yes = sheet->addButton(tr("Yes"), QMessageBox::DestructiveRole);
    sheet->setDefaultButton(no);
    sheet->setEscapeButton(no);
    connect(sheet, &QDialog::finished, sheet, &QObject::deleteLater);
    resetSheet_ = sheet;
    connect(sheet, &QMessageBox::buttonClicked, this, [this, yes](QAbstractButton* button) {
        if (button != yes) {
            return;
        }
        const QStringList failures = RVPWSettingsManager::resetLibraries();
        if (!failures.isEmpty()) {
            QStringList names;
            for (const QString& path : failures) {
                names.append(QDir::toNativeSeparators(path));
            }
            showMessage(tr("The library could not be reset: %1 could not be deleted")
                            .arg(names.join(QStringLiteral(", "))));
        }
    });
    sheet->open();
}

void RVPWSettingsViewController::done() {
    closeColorController();
    if (resetSheet_) {
        resetSheet_->reject();
    }
    context_.notificationCenter().post(settingsDoneNotification, this);
    emit doneRequested();
}

void RVPWSettingsViewController::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        done();
        return;
    }
    QWidget::keyPressEvent(event);
}

void RVPWSettingsViewController::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // A turned device moves the row: the popup follows it.
    placePopup();
}

}  // namespace plotwise
