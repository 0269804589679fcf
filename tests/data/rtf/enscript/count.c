/* Count the files. */
int count(int n)
{
    return n + 1; /* one more */
}
