// A plug-in linked into the signal tests: responders that record every signal they get
// (as "TAG signal-name document of COUNT"), providers of several kinds (many IDs, one ID, a
// new boss per use, one that throws, one without a responder), a boss for a host
// registration, and an active-selection observer. The fixture boots a host with it.
// User-interface thread only, like the host.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "Host.h"
#include "HostTestSupport.h"

namespace sigtest {

using Lines = std::vector<std::string>;

constexpr ClassID kRecorderBoss{0x7f610};        // A: all five signals, one boss for the session
constexpr ClassID kAfterCloseOnlyBoss{0x7f611};  // B: GetServiceID 0xE1A and HasMultipleIDs false
constexpr ClassID kPerUseBoss{0x7f612};          // C: 0xE1A and 0x16302, a new boss per use
constexpr ClassID kThrowingProviderBoss{0x7f614};
constexpr ClassID kDialogLikeBoss{0x7f615};      // no provider of its own
constexpr ClassID kSelectionWatcherBoss{0x7f616};
constexpr PMIID kSelectionWatcherIID{0x7f607};

enum class Fail { kNo, kWithError, kByThrowing };

struct Recorder {
    tshost::Host* host = nullptr;
    Lines events{};
    std::map<std::string, int> responderObjects{};  // by tag: responder implementations made
    IDocument* closeInBeforeClose = nullptr;        // A closes it at the next before-close of another
    Fail bFailsAfterClose = Fail::kNo;              // B at the after-close signal
    bool saveInBeforeClose = false;                 // A saves the closing document
    Lines selections{};                             // the watcher: the front document at each call
};

Recorder& Rec();

class SignalsFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // A new one-page document, saved to `saveAs` in the test folder when that is given.
    IDocument* NewDoc(const std::string& saveAs = {}) {
        std::string error;
        IDocument* document = host.Docs().New(1, error);
        EXPECT_TRUE(document && (saveAs.empty() || host.Docs().SaveAs(document, dir / saveAs, error))) << error;
        return document;
    }
    Lines Take() { return std::exchange(Rec().events, {}); }

    Lines shown, diagnosed;
    tstest::TempDir dir;
    tshost::Host host;
};

}  // namespace sigtest
