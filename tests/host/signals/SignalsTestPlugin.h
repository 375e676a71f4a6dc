// A plug-in linked into the signal tests: responders that record every signal they get
// (as "TAG signal-name document of COUNT"; at the after-close signal the document is the
// one whose before-close signal carried the same reference), providers of several kinds (many IDs, one ID,
// a new boss per use, one that throws, one without a responder), a boss for a host
// registration, and an active-selection observer. The fixture boots a host with it.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Host.h"
#include "HostTestSupport.h"
#include "IDTypes.h"
#include "Transcript.h"
#include "UIDRef.h"

namespace sigtest {

constexpr ClassID kRecorderBoss{0x7f610};        // A: all five signals, one boss for the session
constexpr ClassID kAfterCloseOnlyBoss{0x7f611};  // B: GetServiceID 0xE1A and HasMultipleIDs false
constexpr ClassID kPerUseBoss{0x7f612};          // C: 0xE1A and 0x16302, a new boss per use
constexpr ClassID kProviderOnlyBoss{0x7f613};    // a provider of all five without a responder
constexpr ClassID kThrowingProviderBoss{0x7f614};
constexpr ClassID kDialogLikeBoss{0x7f615};      // no provider of its own
constexpr ClassID kSelectionWatcherBoss{0x7f616};
constexpr PMIID kDialogPartIID{0x7f606};
constexpr PMIID kSelectionWatcherIID{0x7f607};

struct Recorder {
    std::vector<std::string> events;
    std::map<std::string, int> responderObjects;  // by tag: responder implementations made
    std::vector<std::pair<UIDRef, std::string>> closing;  // from each before-close signal
    IDocument* closeInBeforeClose = nullptr;  // A closes it at the next before-close of another
    // Behaviour switches.
    std::string failTag;
    ServiceID failService;
    bool failByThrowing = false;
    bool saveInBeforeClose = false;
    std::vector<std::string> selections;  // the watcher: front document at each call, or "none"

    void Reset() { *this = Recorder(); }
};

Recorder& Rec();

// A dialog-like part the registry hands out through the host's generic provider.
class IDialogPart : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x7f606 };
    virtual int32 Answer() const = 0;
};

// What the host shows and diagnoses while a test runs.
class Seen {
public:
    Seen() {
        tshost::SetTranscriptSink([this](std::string_view line) { shown.emplace_back(line); });
        tshost::SetDiagnosticSink([this](std::string_view line) { diagnosed.emplace_back(line); });
    }
    ~Seen() {
        tshost::SetTranscriptSink({});
        tshost::SetDiagnosticSink({});
    }
    Seen(const Seen&) = delete;
    Seen& operator=(const Seen&) = delete;

    std::vector<std::string> shown;
    std::vector<std::string> diagnosed;
};

class SignalsFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    IDocument* NewDoc(int32 pages = 1);
    std::vector<std::string> Take();

    Seen capture;
    tstest::TempDir dir;
    tshost::Host host;
};

}  // namespace sigtest
