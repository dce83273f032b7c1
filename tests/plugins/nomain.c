/* A library without "MAVEPluginMain": the runtime passes it over. */
__attribute__((visibility("default"))) int NotThePluginMain(void) { return 1; }
