// Placeholder until the offline renderer lands.
int main() { return 0; }
