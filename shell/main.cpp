int glasswakeMain(int argc, const char* const* argv);

int main(int argc, char** argv) { return glasswakeMain(argc, argv); }
