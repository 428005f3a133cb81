// A routine whose answer tells which copy of the library was loaded.
extern "C" int probe_location() {
    return PROBE_LOCATION;
}
