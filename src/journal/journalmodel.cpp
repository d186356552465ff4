#include "journalmodel.h"

#include "celltext.h"
#include "platform/platform.h"

#include <cstring>

void JournalModel::setJournalText(QByteArray text)
{
    load(std::move(text), false);
}

void JournalModel::setPlainText(QByteArray text)
{
    load(std::move(text), true);
}

void JournalModel::load(QByteArray text, bool plain)
{
    beginResetModel();
    m_plain = plain;
    // A program's output is no journal: character 26 is one of its bytes.
    const qsizetype endOfFile = plain ? -1 : text.indexOf('\x1a');
    if (endOfFile >= 0)
        text.truncate(endOfFile);
    m_text = std::move(text);
    m_lineStarts.clear();
    m_lineStarts.shrink_to_fit();
    const char *data = m_text.constData();
    const qsizetype size = m_text.size();
    qsizetype start = 0;
    while (start < size) {
        m_lineStarts.push_back(start);
        const void *lineFeed = std::memchr(data + start, '\n', size_t(size - start));
        start = lineFeed ? static_cast<const char *>(lineFeed) - data + 1 : size;
    }
    m_lineStarts.push_back(size);
    endResetModel();
}

void JournalModel::clear()
{
    setJournalText(QByteArray());
}

QString JournalModel::lineText(int row, qsizetype longest) const
{
    if (row < 0 || size_t(row) + 1 >= m_lineStarts.size())
        return QString();
    const qsizetype start = m_lineStarts[size_t(row)];
    qsizetype end = m_lineStarts[size_t(row) + 1];
    if (end > start && m_text.at(end - 1) == '\n')
        --end;
    if (longest >= 0 && end - start > longest)
        end = start + longest;
    QByteArray line = m_text.mid(start, end - start);
    line.replace('\r', QByteArray());
    return Platform::decodeText(line);
}

QString JournalModel::timeColumn(const QString &line)
{
    const qsizetype first = line.indexOf(QLatin1Char(';'));
    return first < 0 ? line : line.left(first);
}

QString JournalModel::subjectColumn(const QString &line)
{
    const qsizetype first = line.indexOf(QLatin1Char(';'));
    if (first < 0)
        return QString();
    const qsizetype second = line.indexOf(QLatin1Char(';'), first + 1);
    return second < 0 ? line.mid(first + 1) : line.mid(first + 1, second - first - 1);
}

int JournalModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || m_lineStarts.empty() ? 0 : int(m_lineStarts.size() - 1);
}

int JournalModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant JournalModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole)
        return QVariant();
    // Only the start of a long line is read: a cell shows no more of it.
    const QString line = lineText(index.row(), kShownBytes);
    if (m_plain)
        return index.column() == 0 ? QString() : cellText(line);
    return cellText(index.column() == 0 ? timeColumn(line) : subjectColumn(line));
}

QVariant JournalModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 2)
        return m_headers[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

bool JournalModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                                 int role)
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > 1)
        return false;
    m_headers[section] = value.toString();
    emit headerDataChanged(orientation, section, section);
    return true;
}
