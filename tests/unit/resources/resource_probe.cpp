// A program that carries the launcher's resources and does nothing else,
// so they can be read back before and beside the launcher itself.
int main() { return 0; }
