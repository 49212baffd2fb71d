/* A program to sign, unsigned as built: the signature tests sign it, and
   change one byte of the signed copy's code. */
int main(void) { return 0; }
