s = 0
for i in range(1, 2501):
    for j in range(1, 2501):
        s = s + 1
print(s)
