// Placeholder until the client's start-up lands.
int main() { return 0; }
