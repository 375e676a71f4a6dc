// The open documents as the host's utilities reach them (DocumentUtilities.cpp, DocFileUtils.cpp).
// User-interface thread only.
#pragma once

#include "UIDRef.h"

class IDocument;

namespace tshost {

// The open document a reference names, or null (not counted).
IDocument* OpenDocumentFor(const UIDRef& document);

}  // namespace tshost
