// A module without DllMain.
extern "C" int plainAnswer() { return 7; }
