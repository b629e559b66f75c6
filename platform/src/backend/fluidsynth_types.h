// SPDX-License-Identifier: MIT
// FluidSynth's handle types and result codes, as its C interface has them:
// declared here so that the library is only ever loaded (or, in the browser,
// forwarded to), never compiled against.
#pragma once

extern "C" {
typedef struct _fluid_synth_t fluid_synth_t;
typedef struct _fluid_hashtable_t fluid_settings_t;
typedef void (*fluid_log_function_t)(int level, const char* message, void* data);
}
enum { FLUID_OK = 0, FLUID_FAILED = -1 };
enum { FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG };
