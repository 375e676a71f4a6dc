// The IDs of the host's user-interface part: widget boss classes, their implementations and
// the interfaces only the host uses, all from 0x30400 up in each kind. Class names are what
// resource files use to name these classes as parents ("parent": "kButtonWidgetBoss").
// Plug-ins wrap two host event handlers: they put kTreeNodeEventHandlerImpl under their own
// IID on their tree-node row class, and kLayoutViewEventHandlerImpl under theirs on the
// layout view (an add-in to kLayoutWidgetBoss), and their own handler under IEventHandler.
// Plain constants; safe on any thread.
#pragma once

#include "IDTypes.h"

namespace tshost {

// Widget boss classes. Every one has IControlView, ISubject, IWidgetParent, IEventHandler and
// IWidgetInfo; the panels (panel, group, cluster, dialog, prefs page, tree-node row, switcher)
// also IPanelControlData.
constexpr ClassID kWidgetBoss{0x30400};              // a plain widget: an indent spacer, a divider
constexpr ClassID kPanelWidgetBoss{0x30401};         // a palette panel: PalettePanelView
constexpr ClassID kGroupPanelWidgetBoss{0x30402};
constexpr ClassID kClusterPanelWidgetBoss{0x30403};  // a radio cluster
constexpr ClassID kButtonWidgetBoss{0x30404};        // a push button: ITriStateControlData
constexpr ClassID kRadioButtonWidgetBoss{0x30405};   // ITriStateControlData
constexpr ClassID kEditBoxWidgetBoss{0x30406};       // ITextControlData, an edit-box handler
constexpr ClassID kStaticTextWidgetBoss{0x30407};    // ITextControlData
constexpr ClassID kDropDownListWidgetBoss{0x30408};  // IStringListControlData, IDropDownListController, ITextControlData
constexpr ClassID kProgressBarWidgetBoss{0x30409};   // IProgressBarControlData
constexpr ClassID kDialogPanelBoss{0x3040a};         // the top panel of a dialog view
constexpr ClassID kPrefsPageBoss{0x3040b};           // the top panel of a Preferences page
constexpr ClassID kTreeNodeWidgetBoss{0x3040c};      // a tree row: the host's tree-node handler
constexpr ClassID kExpanderWidgetBoss{0x3040d};
constexpr ClassID kIconWidgetBoss{0x3040e};          // shows a picture resource
constexpr ClassID kLayoutWidgetBoss{0x3040f};        // a document's layout view: the host's layout handler
constexpr ClassID kDialogWindowBoss{0x30410};        // a dialog's window: IDialog, IWindow
constexpr ClassID kPrefsDialogBoss{0x30411};         // the Preferences dialog's window
constexpr ClassID kPanelSwitcherWidgetBoss{0x30412}; // the Preferences page switcher (widget 0x609)
// Fixed by the plug-in API.
constexpr ClassID kPrefsDialogServiceBoss{0x63c};    // IDialogCreator, and the service provider of 0x698
constexpr ClassID kSelectFolderDialogBoss{0xE1C};

// Implementations.
constexpr ImplementationID kWidgetInfoImpl{0x30400};
constexpr ImplementationID kControlViewImpl{0x30401};
constexpr ImplementationID kPanelControlDataImpl{0x30402};
constexpr ImplementationID kWidgetParentImpl{0x30403};
constexpr ImplementationID kSubjectImpl{0x30404};
constexpr ImplementationID kTextControlDataImpl{0x30405};
constexpr ImplementationID kDropDownTextImpl{0x30406};
constexpr ImplementationID kTriStateControlDataImpl{0x30407};
constexpr ImplementationID kStringListControlDataImpl{0x30408};
constexpr ImplementationID kDropDownListControllerImpl{0x30409};
constexpr ImplementationID kProgressBarControlDataImpl{0x3040a};
constexpr ImplementationID kDefaultEventHandlerImpl{0x3040b};
constexpr ImplementationID kButtonEventHandlerImpl{0x3040c};
constexpr ImplementationID kEditBoxEventHandlerImpl{0x3040d};
constexpr ImplementationID kTreeNodeEventHandlerImpl{0x3040e};
constexpr ImplementationID kLayoutViewEventHandlerImpl{0x3040f};
constexpr ImplementationID kPalettePanelViewImpl{0x30410};   // persistent
constexpr ImplementationID kDialogImpl{0x30411};
constexpr ImplementationID kWindowImpl{0x30412};
constexpr ImplementationID kDialogMgrImpl{0x30413};
constexpr ImplementationID kPanelMgrImpl{0x30414};
constexpr ImplementationID kPrefsDialogImpl{0x30415};
constexpr ImplementationID kPrefsDialogCreatorImpl{0x30416};
constexpr ImplementationID kPanelSwitcherImpl{0x30417};
constexpr ImplementationID kSelectFolderDialogImpl{0x30418};
constexpr ImplementationID kPanelMgrUtilityImpl{0x3041a};

// Host-only interfaces declare their IDs beside them: IWidgetInfo 0x30400; the panel
// state on the application boss answers 0x30401 (Panels.cpp).

}  // namespace tshost
