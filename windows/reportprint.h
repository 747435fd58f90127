#pragma once
// Printing, printer setup and the preview control of the report engine.
#include "report/reportengine.h"

#include <QScrollArea>

#include <memory>

class QPrinter;

namespace ReportEngine {

// The report's printer settings, kept for the whole run. The printer is
// made on first use with the report's start settings: the page's paper and
// orientation, one copy, all pages, automatic paper bin, no duplex.
class ReportPrinter {
public:
    ReportPrinter();
    ~ReportPrinter();
    ReportPrinter(const ReportPrinter &) = delete;
    ReportPrinter &operator=(const ReportPrinter &) = delete;

    QPrinter &printer(const Report &report);
    bool hasPrinter() const { return bool(m_printer); }

    // Printer setup dialog: printer (or a PDF file), copies, orientation and
    // page range 1 to the page count. Confirmed choices are kept; cancelling
    // changes nothing. True when confirmed.
    bool setup(const Report &report, QWidget *parent);

    // Prints the laid-out page with the current settings. With no printer to
    // print on, the setup dialog is offered first. Returns false when nothing
    // was printed because the user cancelled; throws KelvoraError when the
    // printing system refuses the job or a PDF file cannot be written in full
    // (which then leaves the file as it was).
    bool print(const Report &report, QWidget *parent);

    // Prints on any printer as the settings of that printer say.
    static void printOn(const Report &report, QPrinter &printer);

private:
    std::unique_ptr<QPrinter> m_printer;
};

// Shows the page of a report at 100 per cent on a grey desk, with scroll
// bars that follow the thumb.
class ReportPreview : public QScrollArea {
    Q_OBJECT
public:
    explicit ReportPreview(QWidget *parent = nullptr);

    void setReport(const Report *report);
    const Report *report() const { return m_report; }
    // Releases the page output.
    void clear() { setReport(nullptr); }

    // Gap of desk around the paper, in pixels.
    static constexpr int Desk = 10;

private:
    const Report *m_report = nullptr;
    QWidget *m_page = nullptr;
};

} // namespace ReportEngine
