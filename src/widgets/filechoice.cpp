#include "filechoice.h"

#include <QFileDialog>

void chooseExistingFile(QWidget *parent, const QStringList &nameFilters, const QString &initialDirectory,
                        std::function<void(const QString &path)> chosen, const QString &executablesOnly)
{
    auto *dialog = new QFileDialog(parent, QString(), initialDirectory);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilters(nameFilters);
    if (!nameFilters.isEmpty())
        dialog->selectNameFilter(nameFilters.first());
    const QDir::Filters listed = dialog->filter();
    QObject::connect(dialog, &QFileDialog::filterSelected, dialog, [dialog, listed, executablesOnly](const QString &filter) {
        dialog->setFilter(!executablesOnly.isEmpty() && filter == executablesOnly
                              ? QDir::AllDirs | QDir::Files | QDir::Executable | QDir::NoDotAndDotDot
                              : listed);
    });
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog,
                     [chosen = std::move(chosen)](const QString &path) {
                         if (!path.isEmpty())
                             chosen(path);
                     });
    dialog->open();
}
