with open('bench_fichier.txt', 'w', newline='\r\n') as f:
    for i in range(1, 600001):
        f.write(str(i) + '\n')
n = 0
t = 0
with open('bench_fichier.txt') as f:
    for line in f:
        s = line.rstrip('\n')
        n = n + 1
        t = t + len(s)
print(n)
print(t)
