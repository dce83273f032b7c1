// The accessor resolver: after the plug-ins are installed, RuntimeInit hands it the deferred
// member links ("GBevelButton!Caption" and the like), newest first. Kind letter G/S reach a
// property's getter/setter, M/W a method's routine/second routine (plug-in global methods
// when the link names no class). Chains whose member resolves to nothing are patched to a
// stub that reports the name when called. Entry point: ResolveDeferredLinks.
#pragma once

struct ClassRecord;

// Finds a built-in class by name (the class registry); nil when absent.
using BuiltinClassLookup = ClassRecord* (*)(const char* name);

// Resolves and frees every deferred link. findBuiltin may be nil (no built-in classes yet).
void ResolveDeferredLinks(BuiltinClassLookup findBuiltin);

// One link's target (no patching); nil when it resolves to nothing. Exposed for tests.
void* ResolveAccessorLink(const char* link, BuiltinClassLookup findBuiltin);
