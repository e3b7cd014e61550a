<?xml version="1.0"?>
<!-- The transactions of one day with edit and delete links. The window
     writes the first and the last date into the second attribute of the
     second and the third child. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="xml" omit-xml-declaration="yes"/>
  <xsl:variable name="FromDate" select="0"/>
  <xsl:variable name="ToDate" select="0"/>
  <xsl:key name="head" match="/Data/AcMaster/a" use="@Code"/>

  <xsl:template match="/">
    <xsl:variable name="rows" select="/Data/Trans/t[@dt &gt;= $FromDate and @dt &lt;= $ToDate]"/>
    <HTML>
      <BODY>
        <DIV class="reporttitle"><B>[*[REPORTTILE]*]</B></DIV>
        <TABLE width="100%" cellspacing="0" cellpadding="2">
          <TR><TH width="30">No</TH><TH>From</TH><TH>To</TH><TH width="90">Amount</TH><TH>Details</TH><TH width="40">&#160;</TH><TH width="50">&#160;</TH></TR>
          <xsl:for-each select="$rows">
            <xsl:sort select="@dt" data-type="number"/>
            <xsl:sort select="@No" data-type="number"/>
            <TR id="id{@dt}{@No}">
              <TD class="text"><xsl:value-of select="@No"/></TD>
              <TD class="text"><A href="{@fAc}"><xsl:value-of select="key('head', @fAc)/@AcName"/></A></TD>
              <TD class="text"><A href="{@tAc}"><xsl:value-of select="key('head', @tAc)/@AcName"/></A></TD>
              <TD class="Amount" align="right">
                <xsl:call-template name="money">
                  <xsl:with-param name="sum" select="concat(number(substring-before(concat(normalize-space(.), '.'), '.')), ' ',
                                                     number(substring(concat(substring-after(normalize-space(.), '.'), '0000'), 1, 4)))"/>
                </xsl:call-template>
              </TD>
              <TD class="text"><xsl:value-of select="@Nar"/></TD>
              <TD class="text"><A href="[*[E]*]{@dt}{@No}">Edit</A></TD>
              <TD class="text"><A href="[*[D]*]{@dt}{@No}">Delete</A></TD>
            </TR>
          </xsl:for-each>
          <TR>
            <TD colspan="3" class="DayTotalCaption">Day total</TD>
            <TD class="DayTotalAmount" align="right">
              <xsl:call-template name="money">
                <xsl:with-param name="sum">
                  <xsl:call-template name="exactSum">
                    <xsl:with-param name="nodes" select="$rows"/>
                  </xsl:call-template>
                </xsl:with-param>
              </xsl:call-template>
            </TD>
            <TD colspan="3">&#160;</TD>
          </TR>
        </TABLE>
      </BODY>
    </HTML>
  </xsl:template>

  <!-- Amounts are added and rounded on their decimal digits: XPath's sum()
       and format-number() work on binary numbers, which show 3.685 as 3.68
       and drift on long sums. -->

  <!-- "W U": the sum is W + U / 10000, W and U whole numbers written without
       exponent, 0 <= U < 10000. Halves the list each time, so the depth of
       the recursion is the logarithm of the count. -->
  <xsl:template name="exactSum">
    <xsl:param name="nodes"/>
    <xsl:variable name="n" select="count($nodes)"/>
    <xsl:choose>
      <xsl:when test="$n = 0">0 0</xsl:when>
      <xsl:when test="$n = 1">
        <!-- One amount, read on its digits: the integer part and the first four decimals. -->
        <xsl:variable name="s" select="normalize-space($nodes)"/>
        <xsl:variable name="sign" select="1 - 2 * starts-with($s, '-')"/>
        <xsl:variable name="digits" select="translate($s, '-', '')"/>
        <xsl:variable name="w" select="$sign * substring-before(concat($digits, '.'), '.')"/>
        <xsl:variable name="u" select="$sign * substring(concat(substring-after($digits, '.'), '0000'), 1, 4)"/>
        <xsl:variable name="carry" select="floor($u div 10000)"/>
        <xsl:value-of select="concat(format-number($w + $carry, '0'), ' ', format-number($u - 10000 * $carry, '0'))"/>
      </xsl:when>
      <xsl:when test="($n &lt;= 256 and not($nodes[. &gt;= 1000000 or . &lt;= -1000000]))
                      or ($n &lt;= 16 and not($nodes[. &gt;= 1000000000 or . &lt;= -1000000000]))">
        <!-- Up to 256 amounts below 10^6, or 16 below 10^9, with at most four
             decimals add up in binary within less than a tenth of a
             ten-thousandth of the true sum, so the rounded sum is exact. This
             saves most of the recursion. -->
        <xsl:variable name="u" select="round(sum($nodes) * 10000)"/>
        <xsl:variable name="w" select="floor($u div 10000)"/>
        <xsl:value-of select="concat(format-number($w, '0'), ' ', format-number($u - 10000 * $w, '0'))"/>
      </xsl:when>
      <xsl:otherwise>
        <xsl:variable name="half" select="floor($n div 2)"/>
        <xsl:variable name="a">
          <xsl:call-template name="exactSum">
            <xsl:with-param name="nodes" select="$nodes[position() &lt;= $half]"/>
          </xsl:call-template>
        </xsl:variable>
        <xsl:variable name="b">
          <xsl:call-template name="exactSum">
            <xsl:with-param name="nodes" select="$nodes[position() &gt; $half]"/>
          </xsl:call-template>
        </xsl:variable>
        <xsl:variable name="u" select="substring-after($a, ' ') + substring-after($b, ' ')"/>
        <xsl:variable name="carry" select="floor($u div 10000)"/>
        <xsl:value-of select="concat(format-number(substring-before($a, ' ') + substring-before($b, ' ') + $carry, '0'),
                              ' ', format-number($u - 10000 * $carry, '0'))"/>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- A non-negative "W U" sum as #,##0.00, rounded to cents half away from zero. -->
  <xsl:template name="money">
    <xsl:param name="sum"/>
    <xsl:variable name="units" select="number(substring-after($sum, ' '))"/>
    <xsl:variable name="cents" select="floor($units div 100) + number($units mod 100 &gt;= 50)"/>
    <xsl:variable name="whole" select="number(substring-before($sum, ' ')) + floor($cents div 100)"/>
    <xsl:value-of select="concat(format-number($whole, '#,##0'), '.', format-number($cents mod 100, '00'))"/>
  </xsl:template>
</xsl:stylesheet>
