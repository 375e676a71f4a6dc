// The IDs of the host's document signals, services and utilities: the service IDs the host
// sends (which of 0xE0C and 0xE0F means "created" and which "opened" is this host's choice:
// 0xE0C after a new document, 0xE0F after an opened one), and the classes and
// implementations of the signal manager, the service registry and the utilities, at 0x30100
// and up in each kind. Resource files name the classes by their names.
// Plain constants; safe on any thread.
#pragma once

#include "IDTypes.h"
#include "IResponder.h"

namespace tshost {

// Document signals.
constexpr ServiceID kAfterNewDocSignal = kAfterNewDocSignalResponderService;
constexpr ServiceID kAfterOpenDocSignal = kAfterOpenDocSignalResponderService;
constexpr ServiceID kBeforeCloseDocSignal = kBeforeCloseDocSignalResponderService;
constexpr ServiceID kAfterCloseDocSignal = kAfterCloseDocSignalResponderService;
constexpr ServiceID kFrontDocChangedSignal = kFrontDocChangedSignalResponderService;
// The host's Preferences dialog; its provider class (0x63c) is registered by the dialog's
// own subsystem.
constexpr ServiceID kPreferencesDialogService{0x698};

// Boss classes.
constexpr ClassID kUtilsBoss{0x30100};
constexpr ClassID kSignalMgrBoss{0x30101};
constexpr ClassID kDocFileHandlerBoss{0x30102};

// Implementations.
constexpr ImplementationID kLayoutUtilsImpl{0x30100};
constexpr ImplementationID kDocumentUtilsImpl{0x30101};
constexpr ImplementationID kDocFileUtilsImpl{0x30102};
constexpr ImplementationID kNumberUtilsImpl{0x30103};
constexpr ImplementationID kSignalMgrImpl{0x30104};
constexpr ImplementationID kDocumentSignalDataImpl{0x30105};
constexpr ImplementationID kServiceRegistryImpl{0x30106};
constexpr ImplementationID kDocFileHandlerImpl{0x30107};
// Answers IServiceProvider for a host class registered with RegisterHostServiceProvider
// that has no provider of its own.
constexpr ImplementationID kHostServiceProviderImpl{0x30108};

}  // namespace tshost
