// Carries the decoy version resource; does nothing.
int main() { return 0; }
