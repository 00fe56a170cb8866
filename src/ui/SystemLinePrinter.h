#pragma once

#include <memory>

#include "ui/LinePrinter.h"

class Prompter;

// The system's default printer. Where no printer is installed, which is common
// on Linux desktops, the user is told so and may save the printout as a PDF.
class SystemLinePrinter : public LinePrinter {
public:
    explicit SystemLinePrinter(Prompter& prompter) : prompter_(prompter) {}
    using LinePrinter::print;
    Result print(const Job& job) override;

    static std::unique_ptr<LinePrinter> create(Prompter& prompter);

private:
    Result offerPdf(const Job& job);

    Prompter& prompter_;
};
