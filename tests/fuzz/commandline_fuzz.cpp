// Any arguments must parse to one request without a crash or a sanitizer
// report; a request the parser makes must cross the message parameter and
// come back the same, and so must every parameter and answer the decoders
// accept: both ends of the command line read what the other wrote.
#include "app/CommandLine.h"
#include "base/Text.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

bool SameRequest(const keyvane::CommandRequest& a, const keyvane::CommandRequest& b) {
    return a.what == b.what && a.task == b.task;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using keyvane::Switch;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // One argument a line, as UTF-8; the system hands them over split.
    std::vector<std::u16string> args;
    for (std::size_t start = 0; start < bytes.size();) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) end = bytes.size();
        args.push_back(keyvane::FromUtf8(bytes.substr(start, end - start)));
        start = end + 1;
    }
    const keyvane::CommandRequest request = keyvane::ParseCommandLine(args);
    if (request.what == Switch::Run && (request.task < 0 || request.task > 0xFFFFFF)) std::abort();
    if (request.what == Switch::None && !args.empty()) std::abort();
    // What the start answers itself never crosses.
    if (keyvane::LocalExitCode(request) < 0 && request.what != Switch::None &&
        !SameRequest(keyvane::DecodeCommand(keyvane::EncodeCommand(request)), request))
        std::abort();
    for (int exitCode : {0, 1, 2, 3})
        for (int why = 0; why <= 4; ++why)
            (void)keyvane::CommandOutcomeText(request, exitCode,
                                              static_cast<keyvane::NotDoneReason>(why));

    // The first bytes as a message parameter and as a result.
    std::uint32_t value = 0;
    std::memcpy(&value, data, std::min(size, sizeof value));
    const keyvane::CommandRequest decoded = keyvane::DecodeCommand(value);
    if (decoded.what != Switch::Unknown && keyvane::EncodeCommand(decoded) != value) std::abort();
    std::intptr_t result = 0;
    std::memcpy(&result, data, std::min(size, sizeof result));
    int exitCode = -1;
    keyvane::NotDoneReason reason{};
    if (keyvane::DecodeAnswer(result, exitCode, reason) &&
        keyvane::EncodeAnswer(exitCode, reason) != result)
        std::abort();
    int again = -1;
    keyvane::NotDoneReason againReason{};
    const int sent = static_cast<int>(value & 0xFF);
    const auto sentReason = static_cast<keyvane::NotDoneReason>((value >> 8) % 5);
    if (!keyvane::DecodeAnswer(keyvane::EncodeAnswer(sent, sentReason), again, againReason) ||
        again != sent || againReason != sentReason)
        std::abort();
    return 0;
}
