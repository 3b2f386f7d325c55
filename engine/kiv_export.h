#pragma once
// The one export marker of both libraries. Everything else is built with hidden visibility,
// so each shared library exports exactly its flat interface.
#if defined(_WIN32)
#define KIV_API __declspec(dllexport)
#else
#define KIV_API __attribute__((visibility("default")))
#endif
