int glasswakeMain() { return 0; }
