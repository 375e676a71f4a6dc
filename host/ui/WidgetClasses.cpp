// The host's widget boss classes (UiIDs.h) and the view kinds that name them.
#include "HostEventHandlers.h"
#include "HostModule.h"
#include "IControlView.h"
#include "IEventHandler.h"
#include "UiIDs.h"
#include "ViewResources.h"
#include "WidgetImpls.h"

namespace tshost {

namespace {

HostModule gModule("ui widgets", 20, [] {
    RegisterHostImplementation(HostImplementation<WidgetInfo>(kWidgetInfoImpl));
    RegisterHostImplementation(HostImplementation<HostControlView>(kControlViewImpl));
    RegisterHostImplementation(HostImplementation<HostPalettePanelView>(kPalettePanelViewImpl, true));
    RegisterHostImplementation(HostImplementation<PanelControlData>(kPanelControlDataImpl));
    RegisterHostImplementation(HostImplementation<WidgetParent>(kWidgetParentImpl));
    RegisterHostImplementation(HostImplementation<Subject>(kSubjectImpl));
    RegisterHostImplementation(HostImplementation<TextControlData>(kTextControlDataImpl));
    RegisterHostImplementation(HostImplementation<DropDownText>(kDropDownTextImpl));
    RegisterHostImplementation(HostImplementation<TriStateControlData>(kTriStateControlDataImpl));
    RegisterHostImplementation(HostImplementation<StringListControlData>(kStringListControlDataImpl));
    RegisterHostImplementation(HostImplementation<DropDownListController>(kDropDownListControllerImpl));
    RegisterHostImplementation(HostImplementation<ProgressBarControlData>(kProgressBarControlDataImpl));
    RegisterHostImplementation(HostImplementation<DefaultEventHandler>(kDefaultEventHandlerImpl));
    RegisterHostImplementation(HostImplementation<ButtonEventHandler>(kButtonEventHandlerImpl));
    RegisterHostImplementation(HostImplementation<EditBoxEventHandler>(kEditBoxEventHandlerImpl));
    RegisterHostImplementation(HostImplementation<TreeNodeEventHandler>(kTreeNodeEventHandlerImpl));
    RegisterHostImplementation(HostImplementation<LayoutViewEventHandler>(kLayoutViewEventHandlerImpl));

    const PMIID view = IID_OF<IControlView>(), handler = IID_OF<IEventHandler>(), panel = IID_OF<IPanelControlData>();
    const PMIID text = IID_OF<ITextControlData>(), state = IID_OF<ITriStateControlData>();
    DefineHostClass(kWidgetBoss, "kWidgetBoss", kInvalidClass,
                    {{IID_OF<IWidgetInfo>(), kWidgetInfoImpl}, {view, kControlViewImpl},
                     {IID_OF<IWidgetParent>(), kWidgetParentImpl}, {IID_OF<ISubject>(), kSubjectImpl},
                     {handler, kDefaultEventHandlerImpl}});
    DefineHostClass(kGroupPanelWidgetBoss, "kGroupPanelWidgetBoss", kWidgetBoss, {{panel, kPanelControlDataImpl}});
    DefineHostClass(kPanelWidgetBoss, "kPanelWidgetBoss", kGroupPanelWidgetBoss, {{view, kPalettePanelViewImpl}});
    DefineHostClass(kClusterPanelWidgetBoss, "kClusterPanelWidgetBoss", kGroupPanelWidgetBoss, {});
    DefineHostClass(kButtonWidgetBoss, "kButtonWidgetBoss", kWidgetBoss,
                    {{state, kTriStateControlDataImpl}, {handler, kButtonEventHandlerImpl}});
    DefineHostClass(kRadioButtonWidgetBoss, "kRadioButtonWidgetBoss", kButtonWidgetBoss, {});
    DefineHostClass(kEditBoxWidgetBoss, "kEditBoxWidgetBoss", kWidgetBoss,
                    {{text, kTextControlDataImpl}, {handler, kEditBoxEventHandlerImpl}});
    DefineHostClass(kStaticTextWidgetBoss, "kStaticTextWidgetBoss", kWidgetBoss, {{text, kTextControlDataImpl}});
    DefineHostClass(kDropDownListWidgetBoss, "kDropDownListWidgetBoss", kWidgetBoss,
                    {{text, kDropDownTextImpl}, {IID_OF<IStringListControlData>(), kStringListControlDataImpl},
                     {IID_OF<IDropDownListController>(), kDropDownListControllerImpl}});
    DefineHostClass(kProgressBarWidgetBoss, "kProgressBarWidgetBoss", kWidgetBoss,
                    {{IID_OF<IProgressBarControlData>(), kProgressBarControlDataImpl}});
    DefineHostClass(kDialogPanelBoss, "kDialogPanelBoss", kGroupPanelWidgetBoss, {});
    DefineHostClass(kPrefsPageBoss, "kPrefsPageBoss", kGroupPanelWidgetBoss, {});
    DefineHostClass(kTreeNodeWidgetBoss, "kTreeNodeWidgetBoss", kGroupPanelWidgetBoss, {{handler, kTreeNodeEventHandlerImpl}});
    DefineHostClass(kExpanderWidgetBoss, "kExpanderWidgetBoss", kWidgetBoss,
                    {{state, kTriStateControlDataImpl}, {handler, kButtonEventHandlerImpl}});
    DefineHostClass(kIconWidgetBoss, "kIconWidgetBoss", kWidgetBoss, {});
    DefineHostClass(kLayoutWidgetBoss, "kLayoutWidgetBoss", kWidgetBoss, {{handler, kLayoutViewEventHandlerImpl}});

    for (const auto& [kind, cls] : {std::pair{"widget", kWidgetBoss}, {"panel", kPanelWidgetBoss},
                                    {"group", kGroupPanelWidgetBoss}, {"cluster", kClusterPanelWidgetBoss},
                                    {"button", kButtonWidgetBoss}, {"radio", kRadioButtonWidgetBoss},
                                    {"edit-box", kEditBoxWidgetBoss}, {"static-text", kStaticTextWidgetBoss},
                                    {"drop-down", kDropDownListWidgetBoss}, {"progress-bar", kProgressBarWidgetBoss},
                                    {"dialog", kDialogPanelBoss}, {"prefs-page", kPrefsPageBoss},
                                    {"tree-node", kTreeNodeWidgetBoss}, {"expander", kExpanderWidgetBoss},
                                    {"icon", kIconWidgetBoss}, {"layout", kLayoutWidgetBoss}})
        RegisterWidgetKind(kind, cls);
    // A new host reads its plug-ins' views afresh.
    ViewResources::Get().Clear();
});

}  // namespace

}  // namespace tshost
