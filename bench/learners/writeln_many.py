for i in range(1, 1500001):
    print(i)
