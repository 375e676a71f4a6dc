// One layout view per open document: the window in which its pages are edited, as far as a
// console host has one. Each is a widget of kLayoutWidgetBoss (UiIDs.h), made when the
// document joins the document list and released when it is about to close, after the
// document's before-close signal. The user's mouse and key events on a document's pages go
// to that view's event handler (Events.h: Deliver, Click), which a plug-in may wrap; the
// console's "layout" command sends them.
// User-interface thread only.
#pragma once

#include "IDTypes.h"

class IDocument;
class IPMUnknown;

namespace tshost {

constexpr WidgetID kLayoutViewWidgetID{0x30400};

// The layout view of an open document (not counted), or null.
IPMUnknown* LayoutViewOf(const IDocument* document);

}  // namespace tshost
