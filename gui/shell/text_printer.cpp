#include "text_printer.h"

#include "fixed_pitch.h"

#include "engine/util/print_text.h"
#include "platform/core/message_service.h"
#include "platform/qt/locale_text.h"
#include "platform/qt/wait_cursor.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>

namespace shell {

namespace {
constexpr const char* kPrintCaption = "Print";
} // namespace

int LinesPerPage(int pageHeight, int lineHeight)
{
    return lineHeight > 0 ? std::max(1, pageHeight / lineHeight) : 1;
}

QString ExpandTabs(const QString& line)
{
    constexpr int kTabWidth = 8;
    QString result;
    result.reserve(line.size());
    for (QChar c : line) {
        if (c == u'\t')
            result.append(QString(kTabWidth - result.size() % kTabWidth, u' '));
        else
            result.append(c);
    }
    return result;
}

QStringList WrapLine(const QString& line, int columns)
{
    if (columns < 1)
        columns = 1;
    QStringList pieces;
    for (qsizetype at = 0; at < line.size(); at += columns)
        pieces << line.mid(at, columns);
    if (pieces.isEmpty())
        pieces << QString();
    return pieces;
}

bool PrintTextOn(QPrinter& printer, const std::string& text)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QFont font = SystemFixedFont(10);
    painter.setFont(font);
    const QFontMetrics metrics(font, &printer);
    const QRect page = painter.viewport();
    const int lineHeight = metrics.lineSpacing();
    const int perPage = LinesPerPage(page.height(), lineHeight);
    const QStringList lines =
        platform::toQString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).split(u'\n');
    const int columns = std::max(1, page.width() / std::max(1, metrics.horizontalAdvance(u' ')));
    int onPage = 0;
    for (const QString& line : lines) {
        for (const QString& piece : WrapLine(ExpandTabs(line), columns)) {
            if (onPage == perPage) {
                printer.newPage();
                onPage = 0;
            }
            painter.drawText(0, onPage * lineHeight + metrics.ascent(), piece);
            ++onPage;
        }
    }
    return painter.end();
}

bool PrintTextOrSay(QPrinter& printer, const std::string& text)
{
    if (PrintTextOn(printer, text))
        return true;
    platform::messageBox("The report was not printed: the printer could not be started.", kPrintCaption,
                         platform::MbOk | platform::MbIconError);
    return false;
}

bool PrintTextWithDialog(const std::string& text, const std::string& documentName)
{
    // The print dialog offers nothing to choose when no printer is set up.
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        platform::messageBox("The report was not printed: no printer is installed.", kPrintCaption,
                             platform::MbOk | platform::MbIconError);
        return false;
    }
    QPrinter printer;
    printer.setDocName(platform::toQString(documentName));
    platform::ScopedArrowCursor arrow;
    QPrintDialog dialog(&printer);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    return PrintTextOrSay(printer, text);
}

void InstallTextPrinter()
{
    engine::SetTextPrinter(&PrintTextWithDialog);
}

} // namespace shell
