#pragma once

#include <QString>

// IniLang: the text of `key` in the section of `language` of the language
// file, read afresh on every call; empty when file, section or key is missing.
QString IniLang(const QString &programDirectory, const QString &language, const QString &key);

// The key of column n of a history list: "listview1.Columns[n]".
QString columnKey(int column);
// The export's spelling of that key.
QString exportedColumnKey(int column);
