int Counter(void)
{
    return 1;
}

int main(void)
{
    return counter();
}
