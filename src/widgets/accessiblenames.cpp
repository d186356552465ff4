#include "accessiblenames.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTabWidget>

namespace {

const char *const kNamedHere = "pendulixAccessibleName";

// The mnemonic marks are no part of what is read out.
QString withoutMnemonic(QString text)
{
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return text;
}

void give(QWidget *widget, const QString &name)
{
    if (name.isEmpty())
        return;
    if (!widget->accessibleName().isEmpty() && !widget->property(kNamedHere).toBool())
        return;
    widget->setAccessibleName(withoutMnemonic(name));
    widget->setProperty(kNamedHere, true);
}

// The title of the tab page that holds `widget`, empty outside any.
QString pageTitle(QWidget *widget)
{
    for (QWidget *page = widget; page; page = page->parentWidget()) {
        auto *stack = qobject_cast<QStackedWidget *>(page->parentWidget());
        auto *tabs = stack ? qobject_cast<QTabWidget *>(stack->parentWidget()) : nullptr;
        if (tabs)
            return tabs->tabText(tabs->indexOf(page));
    }
    return QString();
}

} // namespace

void nameFieldsAfterTheirBoxes(QWidget *root)
{
    for (QGroupBox *box : root->findChildren<QGroupBox *>()) {
        for (QWidget *field : box->findChildren<QWidget *>()) {
            if (qobject_cast<QLineEdit *>(field) || qobject_cast<QAbstractSpinBox *>(field))
                give(field, box->title());
        }
    }
    for (QAbstractItemView *list : root->findChildren<QAbstractItemView *>())
        give(list, pageTitle(list));
}
