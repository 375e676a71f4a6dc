// Whether a modal alert or dialog is up. Everything modal holds a ModalScope while it is
// shown; the idle scheduler runs nothing while any is held.
// User-interface thread only.
#pragma once

namespace tshost {

class ModalScope {
public:
    ModalScope();
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

    static bool AnyUp();
};

}  // namespace tshost
