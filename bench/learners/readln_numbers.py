import sys
t = 0
for i in range(1, 500001):
    line = sys.stdin.readline().rstrip('\n')
    k = int(line)
    print(line)
    w = k % 1000
    t = t + w
print(t)
