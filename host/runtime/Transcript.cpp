#include "Transcript.h"

#include <cstdio>

namespace tshost {

namespace {

LineSink& TranscriptSink() {
    static LineSink sink;
    return sink;
}

LineSink& DiagnosticSink() {
    static LineSink sink;
    return sink;
}

void Write(std::FILE* to, std::string_view prefix, std::string_view line) {
    std::fwrite(prefix.data(), 1, prefix.size(), to);
    std::fwrite(line.data(), 1, line.size(), to);
    std::fputc('\n', to);
    std::fflush(to);
}

BeforeLine& BeforeShow() {
    static BeforeLine hook;
    return hook;
}

}  // namespace

void Show(std::string_view line) {
    static bool running = false;
    if (BeforeShow() && !running) {
        running = true;
        BeforeShow()();
        running = false;
    }
    if (TranscriptSink())
        TranscriptSink()(line);
    else
        Write(stdout, "", line);
}

void Diagnose(std::string_view line) {
    if (DiagnosticSink())
        DiagnosticSink()(line);
    else
        Write(stderr, "tessaron-host: ", line);
}

std::string DisplayText(const PMString& text) {
    PMString copy = text;
    copy.Translate();
    return copy.GetUTF8String();
}

LineSink SetTranscriptSink(LineSink sink) {
    LineSink old = std::move(TranscriptSink());
    TranscriptSink() = std::move(sink);
    return old;
}

LineSink SetDiagnosticSink(LineSink sink) {
    LineSink old = std::move(DiagnosticSink());
    DiagnosticSink() = std::move(sink);
    return old;
}

BeforeLine SetBeforeShow(BeforeLine hook) {
    BeforeLine old = std::move(BeforeShow());
    BeforeShow() = std::move(hook);
    return old;
}

}  // namespace tshost
