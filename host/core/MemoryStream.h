// The host's stream over a byte buffer: integers little-endian, IDs as unsigned 32-bit
// integers, strings as a 32-bit byte count followed by UTF-8 bytes. A read past the end sets
// the failed state and yields zeros from then on. One thread at a time.
#pragma once

#include <string>

#include "IPMStream.h"

namespace tshost {

class MemoryStream final : public IPMStream {
public:
    // A writer that appends to an empty buffer.
    MemoryStream() = default;
    // A reader over `bytes`.
    explicit MemoryStream(std::string bytes) : fBytes(std::move(bytes)), fReading(true) {}
    ~MemoryStream() override = default;

    bool16 IsReading() const override { return fReading ? kTrue : kFalse; }
    bool16 IsWriting() const override { return fReading ? kFalse : kTrue; }
    StreamState GetStreamState() const override { return fState; }
    void XferInt32(int32& value) override;
    void XferUInt32(uint32& value) override;
    void XferBool(bool16& value) override;
    int32 XferBytes(void* bytes, int32 count) override;
    int64 Remaining() const override { return fReading ? static_cast<int64>(fBytes.size() - fPosition) : 0; }
    void SetFailed() override { fState = kStreamStateFailure; }

    const std::string& Bytes() const { return fBytes; }
    std::string TakeBytes() { return std::move(fBytes); }

private:
    std::string fBytes;
    std::size_t fPosition = 0;
    bool fReading = false;
    StreamState fState = kStreamStateGood;
};

}  // namespace tshost
