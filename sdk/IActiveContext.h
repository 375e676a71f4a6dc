// What the user is working on: the front document, or none. User-interface thread only.
#pragma once

class IDocument;

class IActiveContext {
public:
    // Not counted; null when no document is open.
    virtual IDocument* GetContextDocument() const = 0;

protected:
    virtual ~IActiveContext() = default;
};
