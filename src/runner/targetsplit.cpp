#include "targetsplit.h"

LaunchCall splitTargetForLaunch(const QString &target, const QString &separators)
{
    const QChar directorySeparator = separators.at(0);
    qsizetype last = -1;
    for (qsizetype i = target.size() - 1; i >= 0 && last < 0; --i) {
        if (separators.contains(target.at(i)))
            last = i;
    }
    const QString name = target.mid(last + 1);
    if (!name.contains(QLatin1Char(' ')))
        return {false, target, QString()};

    QString directory;
    if (last >= 0) {
        // A root ("C:\", "/") or a drive ("C:") keeps its separator.
        const bool keepsSeparator = target.at(last) != directorySeparator || last == 0 ||
                                    separators.contains(target.at(last - 1));
        directory = target.left(keepsSeparator ? last + 1 : last);
    }
    const QString word = name.left(name.indexOf(QLatin1Char(' ')));
    QString program = word;
    if (!directory.isEmpty())
        program = directory.endsWith(directorySeparator) ? directory + word
                                                         : directory + directorySeparator + word;
    QString parameters = target;
    parameters.remove(program + QLatin1Char(' '), Qt::CaseSensitive);
    return {true, program, parameters};
}

LaunchCall resolveTargetForLaunch(const QString &target, const QString &separators,
                                  const std::function<bool(const QString &path)> &isFile)
{
    const LaunchCall call = splitTargetForLaunch(target, separators);
    if (!call.withParameters &&
        (target.contains(QLatin1String("http://")) || target.contains(QLatin1String("https://"))))
        return call;
    if (isFile(call.program))
        return call;
    for (qsizetype blank = target.lastIndexOf(QLatin1Char(' ')); blank > 0;
         blank = target.lastIndexOf(QLatin1Char(' '), blank - 1)) {
        const QString program = target.left(blank);
        if (isFile(program))
            return {true, program, target.mid(blank + 1)};
    }
    return call;
}
