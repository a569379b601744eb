// The standard error report: text of a failure and where it is shown.
#include "base/ErrorReport.h"

#include "base/Text.h"

namespace keyvane {
namespace {

ErrorReportSink& Sink() {
    static ErrorReportSink sink;
    return sink;
}

} // namespace

std::u16string ErrorReportText(std::exception_ptr error) {
    try {
        if (error) std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return FromUtf8(e.what());
    } catch (...) {
    }
    return u"An unexpected error occurred.";
}

ErrorReportSink SetErrorReportSink(ErrorReportSink sink) {
    ErrorReportSink previous = std::move(Sink());
    Sink() = std::move(sink);
    return previous;
}

void ReportHandlerFailure(std::exception_ptr error) noexcept {
    try {
        const std::u16string text = ErrorReportText(error);
        if (Sink())
            Sink()(text);
        else
            ShowErrorReport(text);
    } catch (...) {
        // Nothing sensible is left to do: the report itself failed (out of
        // memory, most likely), and the message loop must go on.
    }
}

} // namespace keyvane
