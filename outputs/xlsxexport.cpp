#include "outputs/xlsxexport.h"

#include "model/clocale.h"
#include "model/errors.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

namespace XlsxExport {

namespace {

constexpr int Rows = 48;
constexpr int Columns = 32;

// Keeps the workbook's memory and file in order however writing ends.
class Workbook {
public:
    explicit Workbook(const QString &path) : m_path(path)
    {
        const QByteArray name = QFile::encodeName(path);
        m_book = workbook_new(name.constData());
        if (!m_book)
            fail(QStringLiteral("out of memory"));
    }
    ~Workbook()
    {
        if (m_book) {
            workbook_close(m_book);
            QFile::remove(m_path);
        }
    }
    Workbook(const Workbook &) = delete;
    Workbook &operator=(const Workbook &) = delete;

    lxw_workbook *get() const { return m_book; }

    void check(lxw_error error) const
    {
        if (error != LXW_NO_ERROR)
            fail(QString::fromUtf8(lxw_strerror(error)));
    }
    void close()
    {
        lxw_workbook *book = m_book;
        m_book = nullptr;
        const lxw_error error = workbook_close(book);
        if (error != LXW_NO_ERROR) {
            QFile::remove(m_path);
            fail(QString::fromUtf8(lxw_strerror(error)));
        }
    }

private:
    [[noreturn]] void fail(const QString &why) const
    {
        throw KelvoraError(QStringLiteral("Cannot write the workbook %1: %2").arg(QDir::toNativeSeparators(m_path), why));
    }

    QString m_path;
    lxw_workbook *m_book = nullptr;
};

bool IsMonthHeaderRow(int modelRow) { return modelRow % 4 == 0; }

bool IsWholeNumber(const QString &text)
{
    if (text.isEmpty() || text.size() > 9)
        return false;
    for (const QChar ch : text)
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return false;
    return true;
}

}

QString Title(int year)
{
    return QStringLiteral("Биоритмы на ") + QString::number(year) + QStringLiteral(" год");
}

void WriteYearWorkbook(const QString &path, const YearTable &table, int year, const QString &daysLivedLine)
{
    // The writer prints widths and margins with the C library: in the
    // process's locale they would get a decimal comma the format forbids.
    const CLocaleScope numbers;
    Workbook book(path);
    // The name a Russian spreadsheet program gives a new sheet.
    lxw_worksheet *sheet = workbook_add_worksheet(book.get(), "Лист1");

    lxw_format *centre = workbook_add_format(book.get());
    format_set_align(centre, LXW_ALIGN_CENTER);
    lxw_format *bold = workbook_add_format(book.get());
    format_set_bold(bold);
    lxw_format *boldCentre = workbook_add_format(book.get());
    format_set_bold(boldCentre);
    format_set_align(boldCentre, LXW_ALIGN_CENTER);

    // Column A narrow and empty, B for the labels, C..AG one day each.
    book.check(worksheet_set_column(sheet, 0, 0, 2, nullptr));
    book.check(worksheet_set_column(sheet, 1, 1, 10, nullptr));
    book.check(worksheet_set_column(sheet, FirstColumn + 1, FirstColumn + Columns - 1, 3, centre));
    for (int r = 0; r < Rows; r += 4)
        book.check(worksheet_set_row(sheet, lxw_row_t(FirstRow + r), LXW_DEF_ROW_HEIGHT, bold));

    // A cell keeps both the bold of its row and the centring of its column.
    for (int r = 0; r < Rows; ++r) {
        for (int c = 0; c < Columns; ++c) {
            const QString &text = table[r][c];
            if (text.isEmpty())
                continue; // holds nothing: no cell at all
            lxw_format *format = nullptr;
            if (IsMonthHeaderRow(r))
                format = c == 0 ? bold : boldCentre;
            else if (c > 0)
                format = centre;
            const auto row = lxw_row_t(FirstRow + r);
            const auto column = lxw_col_t(FirstColumn + c);
            // Day numbers and the "0" mark are numbers to a spreadsheet, as
            // if typed in; stored as text they would be flagged in every cell.
            if (IsWholeNumber(text)) {
                book.check(worksheet_write_number(sheet, row, column, text.toInt(), format));
            } else {
                const QByteArray utf8 = text.toUtf8();
                book.check(worksheet_write_string(sheet, row, column, utf8.constData(), format));
            }
        }
    }

    const QByteArray title = Title(year).toUtf8();
    book.check(worksheet_write_string(sheet, TitleRow, FirstColumn, title.constData(), nullptr));
    if (!daysLivedLine.isEmpty()) {
        const QByteArray line = daysLivedLine.toUtf8();
        book.check(worksheet_write_string(sheet, DaysLivedRow, FirstColumn, line.constData(), nullptr));
    }
    book.close();
}

QString SafeFileStem(const QString &name)
{
    static const QString reserved = QStringLiteral("/\\:*?\"<>|");
    QString stem;
    stem.reserve(name.size());
    for (const QChar ch : name) {
        if (ch.isSpace())
            stem.append(QLatin1Char(' '));
        else if (ch.category() == QChar::Other_Control || ch.category() == QChar::Other_Format
                 || reserved.contains(ch))
            stem.append(QLatin1Char('_'));
        else
            stem.append(ch);
    }
    stem = stem.simplified();
    constexpr int MaxLength = 80;
    if (stem.size() > MaxLength)
        stem.truncate(stem.at(MaxLength - 1).isHighSurrogate() ? MaxLength - 1 : MaxLength);
    while (stem.endsWith(QLatin1Char('.')) || stem.endsWith(QLatin1Char(' ')))
        stem.chop(1);
    while (stem.startsWith(QLatin1Char('.')) || stem.startsWith(QLatin1Char(' ')))
        stem.remove(0, 1);
    if (stem.isEmpty())
        stem = QStringLiteral("Биоритмы");
    return stem;
}

QString WriteYearWorkbookToNewFile(const SharedState &state, const QString &tempRoot)
{
    QString root = tempRoot.isEmpty() ? QDir::tempPath() : tempRoot;
    // QDir::tempPath() is empty when TMPDIR names a folder that is not there;
    // the workbook must then fail, not land in the current folder.
    if (root.isEmpty())
        root = qEnvironmentVariable("TMPDIR");
    if (root.isEmpty())
        root = QStringLiteral("/tmp");
    QTemporaryDir folder(QDir(root).filePath(QStringLiteral("kelvora-XXXXXX")));
    if (!folder.isValid())
        throw KelvoraError(QStringLiteral("Cannot create a folder in %1: %2")
                               .arg(QDir::toNativeSeparators(root), folder.errorString()));
    const QString path =
        folder.filePath(SafeFileStem(state.personName) + QLatin1Char(' ') + QString::number(state.chosenYear) + QStringLiteral(".xlsx"));
    WriteYearWorkbook(path, state.yearTable, state.chosenYear, state.daysLivedLine);
    // Written: the folder outlives us, the spreadsheet program reads from it.
    folder.setAutoRemove(false);
    return path;
}

}
