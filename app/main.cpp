// Placeholder entry point until the window lands.
int main() { return 0; }
