#include "filechoice.h"

#include <QFileDialog>

void chooseExistingFile(QWidget *parent, const QStringList &nameFilters, const QString &initialDirectory,
                        std::function<void(const QString &path)> chosen)
{
    auto *dialog = new QFileDialog(parent, QString(), initialDirectory);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilters(nameFilters);
    if (!nameFilters.isEmpty())
        dialog->selectNameFilter(nameFilters.first());
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog,
                     [chosen = std::move(chosen)](const QString &path) {
                         if (!path.isEmpty())
                             chosen(path);
                     });
    dialog->open();
}
