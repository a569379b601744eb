// The standard error report: where a failure that a handler leaves unguarded
// ends up. The report shows the error's text and the program goes on with the
// next message. Window procedures run every handler through Guarded, so no
// exception ever unwinds into the system's callback.
#pragma once

#include <exception>
#include <functional>
#include <string>
#include <string_view>

namespace keyvane {

// The text the report shows for a caught exception. Messages of
// std::exception are UTF-8; bytes that are not valid UTF-8 show as U+FFFD.
std::u16string ErrorReportText(std::exception_ptr error);

// Shows one report: on Windows a message box (the error's text, the
// application title as caption, an error icon, OK); natively a line on stderr.
void ShowErrorReport(std::u16string_view text);

// Replaces where reports go (the tests record them); an empty function
// restores ShowErrorReport. Returns the previous sink.
using ErrorReportSink = std::function<void(std::u16string_view)>;
ErrorReportSink SetErrorReportSink(ErrorReportSink sink);

// Reports the failure; never throws (a failing report is dropped).
void ReportHandlerFailure(std::exception_ptr error) noexcept;

// Runs a handler; on any exception reports it and returns onFailure.
template <class T, class Handler> T Guarded(T onFailure, Handler&& handler) noexcept {
    try {
        return handler();
    } catch (...) {
        ReportHandlerFailure(std::current_exception());
        return onFailure;
    }
}

// The same for handlers without a result.
template <class Handler> void Guarded(Handler&& handler) noexcept {
    try {
        handler();
    } catch (...) {
        ReportHandlerFailure(std::current_exception());
    }
}

} // namespace keyvane
