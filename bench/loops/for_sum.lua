local s = 0
for i = 1, 3000000 do
  s = (s + i) & 0xFFFFFFFF
end
if s >= 1 << 31 then s = s - (1 << 32) end
print(s)
