// Every ID of the plug-in. All are kTSPrefix plus a small number, counted separately per
// kind, so one number can be an interface, a class, an implementation and a widget at once;
// the typed IDs keep the kinds apart.
// Plain constants; safe on any thread.
#pragma once

#include "IDTypes.h"

constexpr uint32 kTSPrefix = 0x61000;

constexpr PluginID kTSPluginID{kTSPrefix};

// Interfaces.
constexpr PMIID kTSPanelDataModelInterfaceID{kTSPrefix + 0x0};
constexpr PMIID kTSPrefsDataInterfaceID{kTSPrefix + 0x1};
constexpr PMIID kTSDocDataInterfaceID{kTSPrefix + 0x2};
constexpr PMIID kTSTreeSelectionObserverInterfaceID{kTSPrefix + 0x3};
constexpr PMIID kTSDocPathPrjIdDataInterfaceID{kTSPrefix + 0x4};
constexpr PMIID kTSDynActionIDsDataInterfaceID{kTSPrefix + 0x5};
constexpr PMIID kTSTreeNodeOriginalHandlerInterfaceID{kTSPrefix + 0x6};
constexpr PMIID kTSIdleTaskInterfaceID{kTSPrefix + 0x7};
constexpr PMIID kTSActiveIdleTaskTrackerInterfaceID{kTSPrefix + 0x8};
constexpr PMIID kTSLayoutOriginalHandlerInterfaceID{kTSPrefix + 0x9};
constexpr PMIID kTSIdleAppTrackerInterfaceID{kTSPrefix + 0xa};

// Command classes: the only classes created by number. The other bosses' classes are the
// resource file's.
constexpr ClassID kTSPrefsDataCmdBoss{kTSPrefix + 0x7};
constexpr ClassID kTSDocDataCmdBoss{kTSPrefix + 0x9};
constexpr ClassID kTSDocPathPrjIdDataCmdBoss{kTSPrefix + 0xb};
constexpr ClassID kTSDynActionIDsDataCmdBoss{kTSPrefix + 0xc};

// Implementations.
constexpr ImplementationID kTSActionComponentImpl{kTSPrefix + 0x0};
constexpr ImplementationID kTSDocResponderServiceProviderImpl{kTSPrefix + 0x1};
constexpr ImplementationID kTSDocResponderImpl{kTSPrefix + 0x2};
constexpr ImplementationID kTSDocDataPersistImpl{kTSPrefix + 0x3};
constexpr ImplementationID kTSDocDataImpl{kTSPrefix + 0x4};
constexpr ImplementationID kTSDocDataCmdImpl{kTSPrefix + 0x5};
constexpr ImplementationID kTSStartUpShutDownProviderImpl{kTSPrefix + 0x6};
constexpr ImplementationID kTSDocPathsDynamicMenuImpl{kTSPrefix + 0x7};
constexpr ImplementationID kTSDynActionIDsDataImpl{kTSPrefix + 0x8};
constexpr ImplementationID kTSDynActionIDsPersistDataImpl{kTSPrefix + 0x9};
constexpr ImplementationID kTSDynActionIDsDataCmdImpl{kTSPrefix + 0xa};
constexpr ImplementationID kTSIdleTaskImpl{kTSPrefix + 0xb};
constexpr ImplementationID kTSActiveIdleTaskTrackerImpl{kTSPrefix + 0xc};
constexpr ImplementationID kTSLayoutTrackerEHImpl{kTSPrefix + 0xd};
constexpr ImplementationID kTSIdleAppTrackerImpl{kTSPrefix + 0xe};
constexpr ImplementationID kTSDialogControllerImpl{kTSPrefix + 0xf};
constexpr ImplementationID kTSDialogObserverImpl{kTSPrefix + 0x10};
constexpr ImplementationID kTSPanelControllerImpl{kTSPrefix + 0x11};
constexpr ImplementationID kTSPanelObserverImpl{kTSPrefix + 0x12};
constexpr ImplementationID kTSPanelDataModelImpl{kTSPrefix + 0x13};
constexpr ImplementationID kTSPanelTVHierarchyAdapterImpl{kTSPrefix + 0x14};
constexpr ImplementationID kTSPanelTVWidgetMgrImpl{kTSPrefix + 0x15};
constexpr ImplementationID kTSPanelTVObserverImpl{kTSPrefix + 0x16};
constexpr ImplementationID kTSPanelResizableCtrlViewImpl{kTSPrefix + 0x17};
constexpr ImplementationID kTSTextEditBoxEHImpl{kTSPrefix + 0x18};
constexpr ImplementationID kTSPanelTVSelectionObserverImpl{kTSPrefix + 0x19};
constexpr ImplementationID kTSDocPathPrjIdDataCmdImpl{kTSPrefix + 0x1a};
constexpr ImplementationID kTSDocPathPrjIdDataImpl{kTSPrefix + 0x1b};
constexpr ImplementationID kTSDocPathPrjIdPersistImpl{kTSPrefix + 0x1c};
constexpr ImplementationID kTSPanelTVNodeEHImpl{kTSPrefix + 0x1d};
constexpr ImplementationID kTSPanelBtnsToolTipImpl{kTSPrefix + 0x1e};
constexpr ImplementationID kTSPageRangeEditBoxEHImpl{kTSPrefix + 0x1f};
constexpr ImplementationID kTSPrefsDlgControllerImpl{kTSPrefix + 0x28};
constexpr ImplementationID kTSPrefsDlgObserverImpl{kTSPrefix + 0x29};
constexpr ImplementationID kTSPrefsPanelCreatorImpl{kTSPrefix + 0x2a};
constexpr ImplementationID kTSPrefsDataPersistImpl{kTSPrefix + 0x2b};
constexpr ImplementationID kTSPrefsDataImpl{kTSPrefix + 0x2c};
constexpr ImplementationID kTSPrefsDataCmdImpl{kTSPrefix + 0x2d};

// Actions.
constexpr ActionID kTSAboutActionID{kTSPrefix + 0x0};
constexpr ActionID kTSAboutAlternateActionID{kTSPrefix + 0x3};
constexpr ActionID kTSSendActionID{kTSPrefix + 0x4};
constexpr ActionID kTSPreferencesActionID{kTSPrefix + 0x6};
constexpr ActionID kTSDynMenuSeparatorActionID{kTSPrefix + 0x33};
constexpr ActionID kTSFirstDocumentActionID{kTSPrefix + 0x34};

// Resources.
constexpr RsrcID kTSSendDialogRsrcID{250};
constexpr RsrcID kTSTreeNodeRsrcID{1000};
constexpr RsrcID kTSProjectIconRsrcID{1001};
constexpr RsrcID kTSGroupClosedIconRsrcID{1002};
constexpr RsrcID kTSGroupOpenIconRsrcID{1003};
constexpr RsrcID kTSPrefsPanelRsrcID{1008};

// Widgets of the projects panel.
constexpr WidgetID kTSPanelWidgetID{kTSPrefix + 0x0};
constexpr WidgetID kTSProjectTreeWidgetID{kTSPrefix + 0x1};
constexpr WidgetID kTSTreeNodeWidgetID{kTSPrefix + 0x2};
constexpr WidgetID kTSNodeIndentWidgetID{kTSPrefix + 0x3};
constexpr WidgetID kTSNodeIconWidgetID{kTSPrefix + 0x4};
constexpr WidgetID kTSNodeNameWidgetID{kTSPrefix + 0x5};
constexpr WidgetID kTSLinkButtonWidgetID{kTSPrefix + 0x6};
constexpr WidgetID kTSUploadButtonWidgetID{kTSPrefix + 0x7};
constexpr WidgetID kTSRefreshButtonWidgetID{kTSPrefix + 0x8};
constexpr WidgetID kTSStatusTextWidgetID{kTSPrefix + 0x9};
constexpr WidgetID kTSProgressBarWidgetID{kTSPrefix + 0xa};

// Classes of the plug-in's other bosses; only the resource file names them.
constexpr ClassID kTSActionComponentBoss{kTSPrefix + 0x0};
constexpr ClassID kTSDocResponderBoss{kTSPrefix + 0x1};
constexpr ClassID kTSStartupShutdownBoss{kTSPrefix + 0x2};
constexpr ClassID kTSPanelWidgetBoss{kTSPrefix + 0x3};
constexpr ClassID kTSTreeViewWidgetBoss{kTSPrefix + 0x4};
constexpr ClassID kTSTreeNodeWidgetBoss{kTSPrefix + 0x5};
constexpr ClassID kTSPanelButtonWidgetBoss{kTSPrefix + 0x6};
constexpr ClassID kTSSendDialogBoss{kTSPrefix + 0x8};
constexpr ClassID kTSPageRangeEditBoxBoss{kTSPrefix + 0xd};
constexpr ClassID kTSUserInputEditBoxBoss{kTSPrefix + 0xe};
constexpr ClassID kTSPrefsPanelBoss{kTSPrefix + 0xf};
constexpr ClassID kTSPrefsPanelCreatorBoss{kTSPrefix + 0x10};
