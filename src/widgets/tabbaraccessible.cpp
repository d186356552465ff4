#include "tabbaraccessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QTabBar>

namespace {

// A tab's text as read out: "&Fichier" is "Fichier", "&&" one "&".
QString withoutMnemonic(QString text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('&'))
            text.remove(i, 1);
    }
    return text;
}

class TabButton : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    TabButton(QTabBar *bar, int index) : m_bar(bar), m_index(index) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
    }
    bool isValid() const override { return m_bar && m_index < m_bar->count(); }
    QObject *object() const override { return nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_bar); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessible::Role role() const override { return QAccessible::PageTab; }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return QString();
        switch (t) {
        case QAccessible::Name:
            return m_bar->accessibleTabName(m_index).isEmpty() ? withoutMnemonic(m_bar->tabText(m_index))
                                                                : m_bar->accessibleTabName(m_index);
        case QAccessible::Description:
            return m_bar->tabToolTip(m_index);
        default:
            return QString();
        }
    }
    void setText(QAccessible::Text, const QString &) override {}

    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid())
            return s;
        s = parent()->state();
        s.selectable = true;
        s.selected = m_index == m_bar->currentIndex();
        s.disabled = !m_bar->isTabEnabled(m_index);
        s.invisible = s.invisible || !m_bar->isTabVisible(m_index);
        return s;
    }
    QRect rect() const override
    {
        if (!isValid())
            return QRect();
        const QRect tab = m_bar->tabRect(m_index);
        return QRect(m_bar->mapToGlobal(tab.topLeft()), tab.size());
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &name) override
    {
        if (isValid() && name == pressAction())
            m_bar->setCurrentIndex(m_index);
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

    int index() const { return m_index; }

private:
    QPointer<QTabBar> m_bar;
    int m_index;
};

class VisibleTabs : public QAccessibleWidget
{
public:
    explicit VisibleTabs(QTabBar *bar) : QAccessibleWidget(bar, QAccessible::PageTabList) {}
    ~VisibleTabs() override
    {
        for (const QAccessible::Id id : std::as_const(m_buttons))
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override
    {
        int count = 0;
        for (int i = 0; i < bar()->count(); ++i)
            count += bar()->isTabVisible(i) ? 1 : 0;
        return count;
    }
    QAccessibleInterface *child(int index) const override
    {
        for (int i = 0; i < bar()->count(); ++i) {
            if (!bar()->isTabVisible(i))
                continue;
            if (index-- == 0)
                return button(i);
        }
        return nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (int i = 0; i < childCount(); ++i) {
            if (this->child(i) == child)
                return i;
        }
        return -1;
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        for (int i = 0; i < childCount(); ++i) {
            QAccessibleInterface *tab = child(i);
            if (tab->rect().contains(x, y))
                return tab;
        }
        return nullptr;
    }
    QString text(QAccessible::Text t) const override
    {
        // The list is read out by the page it shows, as Qt's own does.
        if (t == QAccessible::Name && bar()->currentIndex() >= 0)
            return withoutMnemonic(bar()->tabText(bar()->currentIndex()));
        return QAccessibleWidget::text(t);
    }

private:
    QTabBar *bar() const { return static_cast<QTabBar *>(object()); }

    // One interface a tab for the bar's life: the bus keeps asking for the same one.
    QAccessibleInterface *button(int index) const
    {
        auto id = m_buttons.constFind(index);
        if (id == m_buttons.constEnd())
            id = m_buttons.insert(index, QAccessible::registerAccessibleInterface(new TabButton(bar(), index)));
        return QAccessible::accessibleInterface(*id);
    }

    mutable QHash<int, QAccessible::Id> m_buttons;
};

QAccessibleInterface *visibleTabsFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("QTabBar") && object && object->isWidgetType())
        return new VisibleTabs(static_cast<QTabBar *>(object));
    return nullptr;
}

} // namespace

void installVisibleTabsAccessibility()
{
    QAccessible::installFactory(visibleTabsFactory);
}
