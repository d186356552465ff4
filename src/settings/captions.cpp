#include "captions.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QStackedWidget>
#include <QTabWidget>

namespace {

// A page of a tab widget: its caption is the tab's text.
QTabWidget *tabWidgetOf(const QObject *component)
{
    const auto *page = qobject_cast<const QWidget *>(component);
    if (!page || !qobject_cast<QStackedWidget *>(page->parentWidget()))
        return nullptr;
    return qobject_cast<QTabWidget *>(page->parentWidget()->parentWidget());
}

QAction *actionOf(const QObject *component)
{
    if (auto *menu = qobject_cast<const QMenu *>(component))
        return menu->menuAction();
    return qobject_cast<QAction *>(const_cast<QObject *>(component));
}

} // namespace

bool hasCaption(const QObject *component)
{
    return qobject_cast<const QLabel *>(component) ||
           qobject_cast<const QAbstractButton *>(component) ||
           qobject_cast<const QGroupBox *>(component) || actionOf(component) ||
           tabWidgetOf(component);
}

QString captionOf(const QObject *component)
{
    if (auto *label = qobject_cast<const QLabel *>(component))
        return label->text();
    if (auto *button = qobject_cast<const QAbstractButton *>(component))
        return button->text();
    if (auto *group = qobject_cast<const QGroupBox *>(component))
        return group->title();
    if (QAction *action = actionOf(component))
        return action->isSeparator() ? QStringLiteral("-") : action->text();
    if (QTabWidget *tabs = tabWidgetOf(component))
        return tabs->tabText(tabs->indexOf(const_cast<QWidget *>(qobject_cast<const QWidget *>(component))));
    return QString();
}

void setCaptionOf(QObject *component, const QString &caption)
{
    if (auto *label = qobject_cast<QLabel *>(component))
        label->setText(caption);
    else if (auto *button = qobject_cast<QAbstractButton *>(component))
        button->setText(caption);
    else if (auto *group = qobject_cast<QGroupBox *>(component))
        group->setTitle(caption);
    else if (QAction *action = actionOf(component)) {
        // "-" makes the item a separator, which shows no text: some styles
        // draw a separator's text as a label beside its line.
        const bool separator = caption == QLatin1String("-");
        action->setSeparator(separator);
        action->setText(separator ? QString() : caption);
    } else if (QTabWidget *tabs = tabWidgetOf(component))
        tabs->setTabText(tabs->indexOf(qobject_cast<QWidget *>(component)), caption);
}
