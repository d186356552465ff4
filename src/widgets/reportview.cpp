#include "reportview.h"

#include <QPainter>
#include <QStyledItemDelegate>
#include <QTreeWidget>

namespace {

// QTreeView draws no grid of its own; a style sheet would, but it also
// replaces the platform's selection colours.
class GridDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

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
