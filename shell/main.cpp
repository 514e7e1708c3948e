int glasswakeMain();

int main() { return glasswakeMain(); }
