#pragma once
// The name of the runtime thread that runs the caller ("main" unless the thread
// named itself). It lives in the module's static TLS, compiled natively (see
// thread_name_tls.c), so that every test that maps the runtime exercises the
// loader's static TLS support as a modern runtime module would.
#ifdef __cplusplus
extern "C" {
#endif
const char* StandinThreadName(void);
void StandinSetThreadName(const char* name);
#ifdef __cplusplus
}
#endif
