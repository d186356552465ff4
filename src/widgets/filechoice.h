#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

// The file dialog, shown without a loop of its own: the window thread goes on
// scheduling while it is open, and `chosen` gets the file picked, once; a
// cancel gets nothing. The first filter is selected; under the filter
// `executablesOnly`, when given, only the files that may be run are listed.
void chooseExistingFile(QWidget *parent, const QStringList &nameFilters, const QString &initialDirectory,
                        std::function<void(const QString &path)> chosen,
                        const QString &executablesOnly = QString());
