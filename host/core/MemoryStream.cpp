#include "MemoryStream.h"

#include <cstring>

namespace tshost {

void MemoryStream::XferUInt32(uint32& value) {
    unsigned char b[4];
    if (fReading) {
        if (XferBytes(b, 4) != 4) { value = 0; return; }
        value = uint32(b[0]) | uint32(b[1]) << 8 | uint32(b[2]) << 16 | uint32(b[3]) << 24;
    } else {
        for (int i = 0; i < 4; ++i) b[i] = static_cast<unsigned char>(value >> (8 * i));
        XferBytes(b, 4);
    }
}

void MemoryStream::XferInt32(int32& value) {
    uint32 u = static_cast<uint32>(value);
    XferUInt32(u);
    if (fReading) value = static_cast<int32>(u);
}

void MemoryStream::XferBool(bool16& value) {
    unsigned char b = value ? 1 : 0;
    XferBytes(&b, 1);
    if (fReading) value = b ? kTrue : kFalse;
}

int32 MemoryStream::XferBytes(void* bytes, int32 count) {
    if (count <= 0) return 0;
    if (!fReading) {
        fBytes.append(static_cast<const char*>(bytes), static_cast<std::size_t>(count));
        return count;
    }
    if (fState != kStreamStateGood || static_cast<std::size_t>(count) > fBytes.size() - fPosition) {
        if (fState == kStreamStateGood) fState = kStreamStateEOF;
        fPosition = fBytes.size();
        std::memset(bytes, 0, static_cast<std::size_t>(count));
        return 0;
    }
    std::memcpy(bytes, fBytes.data() + fPosition, static_cast<std::size_t>(count));
    fPosition += static_cast<std::size_t>(count);
    return count;
}

}  // namespace tshost
