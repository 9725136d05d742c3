// Placeholder until the start-up lands.
int main() { return 0; }
