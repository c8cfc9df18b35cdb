/* Native static TLS of the test program itself (index 0), which the mapped
 * module's TLS must never touch. */
_Thread_local int exe_tls_value = 777;
int ExeTlsValue(void) { return exe_tls_value; }
void SetExeTlsValue(int value) { exe_tls_value = value; }
