#include "reportview.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>
#include <QStyledItemDelegate>
#include <QTreeWidget>

namespace {

// QTreeView draws no grid of its own; a style sheet would, but it also
// replaces the platform's selection colours.
class GridDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    GridDelegate(QObject *parent, int markedColumn, int role)
        : QStyledItemDelegate(parent), m_markedColumn(markedColumn), m_role(role)
    {
    }

    QString fileOf(const QModelIndex &index) const
    {
        if (index.column() != m_markedColumn)
            return QString();
        const QString file = index.data(m_role).toString();
        return !file.isEmpty() && QFileInfo(file).isFile() ? file : QString();
    }

    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override
    {
        const QString file = fileOf(index);
        if (file.isEmpty() || event->type() != QEvent::ToolTip)
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        QToolTip::showText(event->globalPos(), QDir::toNativeSeparators(file), view);
        return true;
    }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        // Only the rows on screen are drawn: a look at the disk for each is cheap.
        if (fileOf(index).isEmpty())
            return;
        const QStyle *style = option->widget ? option->widget->style() : QApplication::style();
        option->features |= QStyleOptionViewItem::HasDecoration;
        option->icon = style->standardIcon(QStyle::SP_FileIcon);
        const int side = style->pixelMetric(QStyle::PM_SmallIconSize);
        option->decorationSize = QSize(side, side);
    }

public:

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        painter->save();
        painter->setPen(option.palette.color(QPalette::Midlight));
        painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
        painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        painter->restore();
    }

private:
    int m_markedColumn = -1;
    int m_role = 0;
};

} // namespace

void makeReportView(QTreeWidget *list)
{
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSortingEnabled(false);
    list->setAllColumnsShowFocus(true);
    list->setItemDelegate(new GridDelegate(list));
}

void markOutputs(QTreeWidget *list, int column, int role)
{
    QAbstractItemDelegate *plain = list->itemDelegate();
    list->setItemDelegate(new GridDelegate(list, column, role));
    delete plain;
}
