// Typed IDs. Each kind of ID (interface, class, implementation, widget, action, service,
// plug-in, resource) is its own type over 32 bits, so one kind can never be passed where
// another is meant, even though the same number stands for unrelated things in each kind.
// Plain values; safe on any thread.
#pragma once

#include <compare>
#include <cstddef>
#include <functional>

#include "PMTypes.h"

template <class Kind>
class IDValue {
public:
    constexpr IDValue() = default;
    constexpr explicit IDValue(uint32 value) : fValue(value) {}
    constexpr uint32 Get() const { return fValue; }
    constexpr bool IsValid() const { return fValue != 0; }
    constexpr auto operator<=>(const IDValue&) const = default;

private:
    uint32 fValue = 0;
};

using PMIID = IDValue<struct PMIIDKind>;
using ClassID = IDValue<struct ClassIDKind>;
using ImplementationID = IDValue<struct ImplementationIDKind>;
using WidgetID = IDValue<struct WidgetIDKind>;
using ActionID = IDValue<struct ActionIDKind>;
using ServiceID = IDValue<struct ServiceIDKind>;
using PluginID = IDValue<struct PluginIDKind>;
using RsrcID = IDValue<struct RsrcIDKind>;

constexpr PMIID kInvalidInterfaceID{0};
constexpr ClassID kInvalidClass{0};
constexpr ImplementationID kInvalidImpl{0};
constexpr WidgetID kInvalidWidgetID{0};
constexpr ActionID kInvalidActionID{0};
constexpr ServiceID kInvalidService{0};
constexpr PluginID kInvalidPlugin{0};
constexpr int32 kNoInvalidWidgets = 0;

template <class Kind>
struct std::hash<IDValue<Kind>> {
    std::size_t operator()(const IDValue<Kind>& id) const noexcept { return std::hash<uint32>()(id.Get()); }
};
