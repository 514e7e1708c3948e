// layer_main.cpp - the empty program that each layer's library is linked into
// whole, with only the layers below it: a call up the layers fails that link.
int main() { return 0; }
