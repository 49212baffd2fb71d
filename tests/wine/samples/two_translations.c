/* A program that only carries a version resource in two languages, for the
   file information tests. */
int main(void) { return 0; }
