#pragma once

#include <QAbstractTableModel>
#include <QByteArray>

#include <vector>

// The rows of a journal file for the viewer, over the file's bytes: a line
// index is built once and each row is decoded when the view asks for it, so
// a file of a million lines costs its bytes and one offset a line.
class JournalModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    // Replaces the rows with those of the text. A LF ends a line, carriage
    // returns are dropped, character 26 ends the text, and a last line
    // without a line end is a row like the others.
    void setJournalText(QByteArray text);
    // The same for a program's output: each line whole in the second column.
    void setPlainText(QByteArray text);
    void clear();

    // The line as shown: its bytes without carriage returns, at most
    // `longest` of them when that is not negative.
    QString lineText(int row, qsizetype longest = -1) const;
    // How much of a line the cells are taken from.
    static constexpr qsizetype kShownBytes = 4 * 4000 + 64;
    // "Heures": before the first ";". "Fichiers": between the first and second ";".
    static QString timeColumn(const QString &line);
    static QString subjectColumn(const QString &line);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                       int role) override;

private:
    void load(QByteArray text, bool plain);

    QByteArray m_text;
    bool m_plain = false;
    std::vector<qsizetype> m_lineStarts; // one past the end of the text closes the last line
    QString m_headers[2] = {QStringLiteral("Heures"), QStringLiteral("Fichiers")};
};
