#include "SvgEditIni.h"

#include "profile.h"

#include <algorithm>

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTextEdit>

namespace {

// Read with this default, a key that comes back unchanged is absent.
const QString kAbsent = QStringLiteral("%ù@à*£");

QString dateTimeFormat()
{
    const QLocale locale = QLocale::system();
    return locale.dateFormat(QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.timeFormat(QLocale::LongFormat);
}

class Section
{
public:
    Section(QString path, QString name) : m_path(std::move(path)), m_name(std::move(name)) {}

    bool write(const QString &key, const QString &value) const
    {
        return Profile::WritePrivateProfileString(m_name, key, value, m_path);
    }
    bool erase() const { return Profile::EraseSection(m_name, m_path); }
    QString read(const QString &key) const
    {
        return Profile::GetPrivateProfileString(m_name, key, kAbsent, m_path);
    }
    bool has(const QString &key) const { return read(key) != kAbsent; }
    // The integer of a present key; nothing when the key is absent.
    std::optional<int> integer(const QString &key, bool *converted) const
    {
        const QString value = read(key);
        if (value == kAbsent)
            return std::nullopt;
        return Profile::toInteger(value, converted);
    }

private:
    QString m_path;
    QString m_name;
};

// Each write that fails abandons the rest of that control, silently.
bool writeLines(const Section &section, const QStringList &lines, int itemIndex)
{
    if (!section.erase())
        return false;
    for (int i = 0; i < lines.size(); ++i) {
        if (!section.write(QStringLiteral("L%1").arg(i), lines.at(i)))
            return false;
    }
    return section.write(QStringLiteral("ItemIndex"), QString::number(itemIndex));
}

QStringList readLines(const Section &section)
{
    QStringList lines;
    for (int i = 0;; ++i) {
        const QString value = section.read(QStringLiteral("L%1").arg(i));
        if (value == kAbsent)
            return lines;
        lines << value;
    }
}

// "ItemIndex", 0 when it is missing or no integer.
int savedItemIndex(const Section &section)
{
    bool converted = false;
    const int index = section.integer(QStringLiteral("ItemIndex"), &converted).value_or(0);
    return converted ? index : 0;
}

QStringList itemsOf(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

QStringList itemsOf(const QListWidget *list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}

// The owner's controls in creation order, depth first. A stacked widget
// raises its current page to the end of its children, so its pages are taken
// in page order instead, which is the order they were created in.
void collectControls(const QObject *parent, QList<QWidget *> &controls)
{
    QObjectList children = parent->children();
    if (auto *stack = qobject_cast<const QStackedWidget *>(parent)) {
        std::stable_sort(children.begin(), children.end(), [stack](QObject *a, QObject *b) {
            auto rank = [stack](QObject *o) {
                const int index = stack->indexOf(qobject_cast<QWidget *>(o));
                return index < 0 ? stack->count() : index;
            };
            return rank(a) < rank(b);
        });
    }
    for (QObject *child : children) {
        if (auto *widget = qobject_cast<QWidget *>(child)) {
            controls << widget;
            collectControls(widget, controls);
        }
    }
}

QList<QWidget *> controlsOf(const QWidget *owner)
{
    QList<QWidget *> controls;
    collectControls(owner, controls);
    return controls;
}

} // namespace

TSvgEditIni::TSvgEditIni(QWidget *owner, QString iniPath)
    : QObject(owner), m_owner(owner), m_path(std::move(iniPath))
{
    setObjectName(QStringLiteral("SvgEditIni1"));
    owner->installEventFilter(this);
}

bool TSvgEditIni::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_owner || event->type() != QEvent::Close || m_inOwnerClose)
        return false;
    // Let the owner handle its close first, then save: the event's accepted
    // flag still carries the owner's decision back to Qt.
    m_inOwnerClose = true;
    QCoreApplication::sendEvent(m_owner, event);
    m_inOwnerClose = false;
    Sauvegarde();
    return true;
}

void TSvgEditIni::Sauvegarde()
{
    for (QWidget *control : controlsOf(m_owner)) {
        if (control->objectName().contains(QLatin1Char('_')))
            save(control);
    }
}

void TSvgEditIni::Restaure()
{
    for (QWidget *control : controlsOf(m_owner))
        restore(control);
}

void TSvgEditIni::save(QWidget *control)
{
    const QString name = control->objectName();
    const Section window(m_path, m_owner->objectName());
    const Section own(m_path, m_owner->objectName() + name);

    if (auto *edit = qobject_cast<QLineEdit *>(control); edit && SauveEdit) {
        // A spin box's own line edit is part of the spin box, not an edit box.
        if (!qobject_cast<QAbstractSpinBox *>(edit->parentWidget()))
            window.write(name, edit->text());
    } else if (auto *picker = qobject_cast<QDateTimeEdit *>(control); picker && SauveDateTimePicker) {
        window.write(name, QLocale::system().toString(picker->dateTime(), dateTimeFormat()));
    } else if (auto *check = qobject_cast<QCheckBox *>(control); check && SauveCheckBox) {
        window.write(name, check->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    } else if (auto *radio = qobject_cast<QRadioButton *>(control); radio && SauveRadioButton) {
        window.write(name, radio->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    } else if (auto *spin = qobject_cast<QSpinBox *>(control); spin && SauveSpinEdit) {
        window.write(name, QString::number(spin->value()));
    } else if (auto *memo = qobject_cast<QPlainTextEdit *>(control); memo && SauveMemo) {
        writeLines(own, memo->toPlainText().split(QLatin1Char('\n')), 0);
    } else if (auto *rich = qobject_cast<QTextEdit *>(control); rich && SauveRichEdit) {
        writeLines(own, rich->toPlainText().split(QLatin1Char('\n')), 0);
    } else if (auto *combo = qobject_cast<QComboBox *>(control); combo && SauveComboBox) {
        writeLines(own, itemsOf(combo), combo->currentIndex());
    } else if (auto *list = qobject_cast<QListWidget *>(control); list && SauveListBox) {
        writeLines(own, itemsOf(list), list->currentRow());
    } else if (auto *grid = qobject_cast<QTableWidget *>(control); grid && SauveStringGrid) {
        if (!own.erase())
            return;
        const int values[] = {grid->columnCount(), grid->rowCount(), grid->currentColumn(),
                              grid->currentRow(), grid->property("Tag").toInt()};
        const char *keys[] = {"COLCOUNT", "ROWCOUNT", "COL", "ROW", "TAG"};
        for (int i = 0; i < 5; ++i) {
            if (!own.write(QLatin1String(keys[i]), QString::number(values[i])))
                return;
        }
        for (int row = 0; row < grid->rowCount(); ++row) {
            for (int column = 0; column < grid->columnCount(); ++column) {
                const QTableWidgetItem *cell = grid->item(row, column);
                if (!cell || cell->text().trimmed().isEmpty())
                    continue;
                if (!own.write(QStringLiteral("C%1L%2").arg(column).arg(row), cell->text()))
                    return;
            }
        }
    }
}

void TSvgEditIni::restore(QWidget *control)
{
    const QString name = control->objectName();
    const Section window(m_path, m_owner->objectName());
    const Section own(m_path, m_owner->objectName() + name);
    bool converted = false;

    // A key missing from the file leaves the control at its design value:
    // a first start must not turn on the alarms or purge every journal.
    if (auto *edit = qobject_cast<QLineEdit *>(control); edit && SauveEdit) {
        if (!qobject_cast<QAbstractSpinBox *>(edit->parentWidget()) && window.has(name))
            edit->setText(window.read(name));
    } else if (auto *picker = qobject_cast<QDateTimeEdit *>(control); picker && SauveDateTimePicker) {
        if (window.has(name)) {
            const QDateTime value = QLocale::system().toDateTime(window.read(name), dateTimeFormat());
            if (value.isValid())
                picker->setDateTime(value);
        }
    } else if (auto *check = qobject_cast<QCheckBox *>(control); check && SauveCheckBox) {
        if (const auto value = window.integer(name, &converted))
            check->setChecked(!converted || *value != 0);
    } else if (auto *radio = qobject_cast<QRadioButton *>(control); radio && SauveRadioButton) {
        if (const auto value = window.integer(name, &converted))
            radio->setChecked(!converted || *value != 0);
    } else if (auto *spin = qobject_cast<QSpinBox *>(control); spin && SauveSpinEdit) {
        // Only a saved integer within the box's limits: "1 day" or an empty
        // value must not become 0, which would purge today's journal.
        if (const auto value = window.integer(name, &converted);
            value && converted && *value >= spin->minimum() && *value <= spin->maximum())
            spin->setValue(*value);
    } else if (auto *memo = qobject_cast<QPlainTextEdit *>(control); memo && SauveMemo) {
        memo->setPlainText(readLines(own).join(QLatin1Char('\n')));
    } else if (auto *rich = qobject_cast<QTextEdit *>(control); rich && SauveRichEdit) {
        rich->setPlainText(readLines(own).join(QLatin1Char('\n')));
    } else if (auto *combo = qobject_cast<QComboBox *>(control); combo && SauveComboBox) {
        combo->clear();
        combo->addItems(readLines(own));
        if (const int index = savedItemIndex(own); index <= combo->count() - 1)
            combo->setCurrentIndex(index);
    } else if (auto *list = qobject_cast<QListWidget *>(control); list && SauveListBox) {
        list->clear();
        list->addItems(readLines(own));
        if (const int index = savedItemIndex(own); index <= list->count() - 1)
            list->setCurrentRow(index);
    } else if (auto *grid = qobject_cast<QTableWidget *>(control); grid && SauveStringGrid) {
        if (!own.has(QStringLiteral("COLCOUNT")))
            return;
        auto readOr = [&](const char *key, int current) {
            bool ok = false;
            const auto value = own.integer(QLatin1String(key), &ok);
            return value && ok ? *value : current;
        };
        grid->setColumnCount(readOr("COLCOUNT", grid->columnCount()));
        grid->setRowCount(readOr("ROWCOUNT", grid->rowCount()));
        const int column = readOr("COL", grid->currentColumn());
        const int row = readOr("ROW", grid->currentRow());
        grid->setProperty("Tag", readOr("TAG", grid->property("Tag").toInt()));
        for (int r = 0; r < grid->rowCount(); ++r) {
            for (int c = 0; c < grid->columnCount(); ++c) {
                const QString value = own.read(QStringLiteral("C%1L%2").arg(c).arg(r));
                grid->setItem(r, c, new QTableWidgetItem(value == kAbsent ? QString() : value));
            }
        }
        grid->setCurrentCell(row, column);
    }
}
