#include "languages.h"

#include "profile.h"

QString IniLang(const QString &programDirectory, const QString &language, const QString &key)
{
    return Profile::GetPrivateProfileString(language, key, QString(),
                                            programDirectory + QStringLiteral("sourcelang.ini"));
}

QString columnKey(int column)
{
    return QStringLiteral("listview1.Columns[%1]").arg(column);
}

QString exportedColumnKey(int column)
{
    return QStringLiteral("Listview1.columns[%1]").arg(column);
}
