// Placeholder entry point until the headless front end lands.
int main() { return 0; }
