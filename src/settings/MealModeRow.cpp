#include "MealModeRow.h"

#include "FieldFault.h"
#include "data/ColumnLengths.h"
#include "widgets/FormControls.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>

namespace {

constexpr int kLargestLimit = 99;
// Room for more digits than a limit may have, so "100" is refused where it was typed
// instead of being cut to "10".
constexpr int kLimitBoxLength = 6;
const QString kTimeFormat = QStringLiteral("HH:mm");

// Columns of the grid the window lays the lines out in.
enum Column
{
    ModeColumn,
    LimitColumn,
    ActionColumn,
    FromColumn,
    ToColumn,
    RemoveColumn,
    ColumnCount
};

QLineEdit* box(QWidget* parent, const char* name, int index, const QString& text, int maxLength)
{
    QLineEdit* edit = FormControls::textBox(parent, FormControls::indexed(name, index));
    edit->setMaxLength(maxLength);
    edit->setText(text);
    return edit;
}

QString timeText(const QTime& time)
{
    return time.isValid() ? time.toString(kTimeFormat) : QString();
}

// A time of day typed as H:mm or HH:mm; invalid when it is neither.
QTime parseTime(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^([01]?\\d|2[0-3]):([0-5]\\d)$"));
    const QRegularExpressionMatch match = pattern.match(text);
    return match.hasMatch() ? QTime(match.captured(1).toInt(), match.captured(2).toInt()) : QTime();
}

} // namespace

void MealModeRow::addHeader(QGridLayout& grid)
{
    const QStringList captions{QStringLiteral("Meal mode"), QStringLiteral("Daily limit"),
                               QStringLiteral("Past the limit"), QStringLiteral("Serving from"),
                               QStringLiteral("Serving to")};
    for (int col = ModeColumn; col < RemoveColumn; ++col) {
        QLabel* header = FormControls::label(
            grid.parentWidget(), FormControls::indexed("lblHeader", col), captions.at(col));
        QFont bold = header->font();
        bold.setBold(true);
        header->setFont(bold);
        grid.addWidget(header, 0, col);
        // The name takes a little more of the room than each value.
        grid.setColumnStretch(col, col == ModeColumn ? 3 : 2);
    }
    grid.setColumnMinimumWidth(RemoveColumn, Twips::toPixels(1000));
    grid.setVerticalSpacing(2);
}

MealModeRow::MealModeRow(QGridLayout& grid, int index, const MealModeSetting& setting, bool added)
{
    QWidget* parent = grid.parentWidget();
    const int row = grid.rowCount();
    if (added) {
        txtMode = box(parent, "txtMode", index, setting.mealMode, ColumnLengths::MealMode);
        txtMode->setPlaceholderText(QStringLiteral("name of the mode"));
        grid.addWidget(txtMode, row, ModeColumn);
    } else {
        lblMode =
            FormControls::label(parent, FormControls::indexed("lblMode", index), setting.mealMode);
        grid.addWidget(lblMode, row, ModeColumn);
    }
    txtLimit =
        box(parent, "txtLimit", index,
            setting.dailyLimit ? QString::number(*setting.dailyLimit) : QString(), kLimitBoxLength);
    txtLimit->setPlaceholderText(QStringLiteral("none"));
    grid.addWidget(txtLimit, row, LimitColumn);

    cboAction = FormControls::control<QComboBox>(parent, FormControls::indexed("cboAction", index));
    cboAction->addItems({QStringLiteral("Warn"), QStringLiteral("Block")});
    cboAction->setCurrentIndex(setting.limitAction == LimitAction::Block ? 1 : 0);
    grid.addWidget(cboAction, row, ActionColumn);

    txtFrom = box(parent, "txtServeFrom", index, timeText(setting.serveFrom), 5);
    txtTo = box(parent, "txtServeTo", index, timeText(setting.serveTo), 5);
    for (QLineEdit* edit : {txtFrom, txtTo})
        edit->setPlaceholderText(QStringLiteral("hh:mm"));
    grid.addWidget(txtFrom, row, FromColumn);
    grid.addWidget(txtTo, row, ToColumn);

    if (added) {
        cmdRemove = FormControls::button(parent, FormControls::indexed("cmdRemoveMode", index),
                                         QStringLiteral("Remove"));
        grid.addWidget(cmdRemove, row, RemoveColumn);
    }

    lblError = FormControls::label(parent, FormControls::indexed("lblModeError", index), QString());
    lblError->setStyleSheet(QStringLiteral("color: #c00000;"));
    lblError->setWordWrap(true);
    lblError->hide();
    grid.addWidget(lblError, row + 1, ModeColumn, 1, ColumnCount);
    // A line added while the window is open shows now, so it can take the focus at once.
    for (QWidget* widget : tabOrder())
        widget->show();
    if (lblMode)
        lblMode->show();

    // Whatever is changed again is judged again at the next Save.
    for (QLineEdit* edit : {txtMode, txtLimit, txtFrom, txtTo}) {
        if (edit)
            QObject::connect(edit, &QLineEdit::textEdited, lblError,
                             [this, edit] { FieldFault::mark(edit, false); });
    }
}

void MealModeRow::removeControls()
{
    // Later, not at once: the Remove button that asks for it is still busy with its click.
    // Hidden, the line takes no room in the grid meanwhile.
    for (QWidget* widget : std::initializer_list<QWidget*>{lblMode, txtMode, txtLimit, cboAction,
                                                           txtFrom, txtTo, cmdRemove, lblError}) {
        if (!widget)
            continue;
        widget->hide();
        widget->deleteLater();
    }
}

QString MealModeRow::name() const
{
    return txtMode ? txtMode->text().trimmed() : lblMode->text();
}

QWidget* MealModeRow::firstField() const
{
    return txtMode ? static_cast<QWidget*>(txtMode) : txtLimit;
}

std::optional<MealModeSetting> MealModeRow::read()
{
    clearFaults();
    MealModeSetting setting;
    setting.mealMode = name();
    if (txtMode && setting.mealMode.isEmpty())
        mark(txtMode, QStringLiteral("Give the new meal mode a name."));

    const QString limit = txtLimit->text().trimmed();
    bool number = false;
    const int value = limit.toInt(&number);
    if (limit.isEmpty())
        setting.dailyLimit.reset();
    else if (number && value >= 0 && value <= kLargestLimit && !limit.startsWith(QLatin1Char('+')))
        setting.dailyLimit = value;
    else
        mark(txtLimit, QStringLiteral("Daily limit: a whole number from 0 to %1, or empty for "
                                      "no limit.")
                           .arg(kLargestLimit));
    setting.limitAction = cboAction->currentIndex() == 1 ? LimitAction::Block : LimitAction::Warn;

    const QString from = txtFrom->text().trimmed();
    const QString to = txtTo->text().trimmed();
    setting.serveFrom = parseTime(from);
    setting.serveTo = parseTime(to);
    if (!from.isEmpty() && !setting.serveFrom.isValid())
        mark(txtFrom, QStringLiteral("Serving from: a time of day such as 06:30."));
    if (!to.isEmpty() && !setting.serveTo.isValid())
        mark(txtTo, QStringLiteral("Serving to: a time of day such as 10:00."));
    if (from.isEmpty() != to.isEmpty())
        mark(from.isEmpty() ? txtFrom : txtTo,
             QStringLiteral("Give both serving times, or neither."));
    else if (setting.serveFrom.isValid() && setting.serveFrom == setting.serveTo)
        mark(txtTo, QStringLiteral("Serving from and to cannot be the same time."));

    if (!m_faults.isEmpty())
        return std::nullopt;
    return setting;
}

void MealModeRow::refuseName(const QString& message)
{
    if (txtMode)
        mark(txtMode, message);
}

void MealModeRow::refuseServingTimes(const QString& message)
{
    FieldFault::mark(txtTo, true);
    mark(txtFrom, message);
}

QList<QWidget*> MealModeRow::tabOrder() const
{
    QList<QWidget*> order{txtLimit, cboAction, txtFrom, txtTo};
    if (txtMode)
        order.prepend(txtMode);
    if (cmdRemove)
        order.append(cmdRemove);
    return order;
}

QList<QWidget*> MealModeRow::valueFields() const
{
    QList<QWidget*> fields{txtLimit, txtFrom, txtTo};
    if (txtMode)
        fields.prepend(txtMode);
    return fields;
}

QWidget* MealModeRow::firstMarked() const
{
    for (QWidget* field : valueFields()) {
        if (FieldFault::isMarked(field))
            return field;
    }
    return nullptr;
}

void MealModeRow::clearFaults()
{
    m_faults.clear();
    for (QWidget* field : valueFields())
        FieldFault::mark(field, false);
    lblError->clear();
    lblError->hide();
}

void MealModeRow::mark(QWidget* field, const QString& message)
{
    FieldFault::mark(field, true);
    m_faults.append(message);
    lblError->setText(m_faults.join(QLatin1Char(' ')));
    lblError->show();
}
