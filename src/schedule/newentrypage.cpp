#include "newentrypage.h"

#include <QVBoxLayout>

NewEntryPage::NewEntryPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TabSheet3"));
    new QVBoxLayout(this);
}
