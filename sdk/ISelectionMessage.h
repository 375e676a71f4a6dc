// What the host hands to active-selection observers with a change of the active selection.
// Opaque: it carries nothing a plug-in reads. Valid only during the call it is passed to.
// User-interface thread only.
#pragma once

class ISelectionMessage {
protected:
    ISelectionMessage() = default;
    ~ISelectionMessage() = default;
};
